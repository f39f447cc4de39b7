"""How loaded trees become Python objects."""

import json
import math
import tempfile

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from conftest import write_locale_files
from tarnevo import TarnevoLoader

ROWS = """{
  "int_max": 9223372036854775807,
  "over_int": 9223372036854775808,
  "u64_max": 18446744073709551615,
  "int_min": -9223372036854775808,
  "minus_one": -1,
  "one": 1,
  "one_float": 1.0,
  "negative_zero": -0.0,
  "negative_zero_integer": -0,
  "tiny": 5e-324,
  "nothing": null,
  "yes": true,
  "no": false,
  "nul": "a\\u0000b",
  "text": "h\\u00e9llo \\u2713 \\ud83d\\ude00",
  "empty_object": {},
  "empty_array": [],
  "array_of_objects": [{"b": 1, "a": 2}, {"z": 0, "B": 1}],
  "nested": {"list": [1, [2, [3]], {"k": null}]}
}"""


@pytest.fixture
def rows(locale_dir):
    return TarnevoLoader(locale_dir({"en.json": ROWS})).load("en")


@pytest.mark.parametrize(
    "key, expected_type, expected",
    [
        ("int_max", int, 9223372036854775807),
        ("over_int", float, 9.223372036854776e18),
        ("u64_max", float, 1.8446744073709552e19),
        ("int_min", int, -9223372036854775808),
        ("minus_one", int, -1),
        ("one", int, 1),
        ("one_float", float, 1.0),
        ("tiny", float, 5e-324),
        ("nothing", type(None), None),
        ("yes", bool, True),
        ("no", bool, False),
        ("nul", str, "a\x00b"),
        ("text", str, "h\u00e9llo \u2713 \U0001F600"),
        ("empty_object", dict, {}),
        ("empty_array", list, []),
    ],
)
def test_each_kind_of_value_becomes_its_python_object(rows, key, expected_type, expected):
    assert type(rows[key]) is expected_type
    assert rows[key] == expected


@pytest.mark.parametrize("key", ["negative_zero", "negative_zero_integer"])
def test_negative_zero_keeps_its_sign(rows, key):
    assert type(rows[key]) is float
    assert rows[key] == 0.0 and math.copysign(1.0, rows[key]) == -1.0


def test_strings_keep_embedded_nul(rows):
    assert len(rows["nul"]) == 3 and rows["nul"][1] == "\x00"


def test_dict_keys_iterate_in_ascending_byte_order(locale_dir):
    path = locale_dir({"en.json": '{"z": 1, "\u00e9": 2, "b": 3, "a": 4, "B": 5, "": 6, "aa": 7}'})
    assert list(TarnevoLoader(path).load("en")) == ["", "B", "a", "aa", "b", "z", "\u00e9"]


def test_arrays_keep_their_order_and_their_objects_sort_their_own_keys(rows):
    objects = rows["array_of_objects"]
    assert objects == [{"a": 2, "b": 1}, {"B": 1, "z": 0}]
    assert [list(o) for o in objects] == [["a", "b"], ["B", "z"]]
    assert rows["nested"] == {"list": [1, [2, [3]], {"k": None}]}


def test_the_top_level_keys_come_in_byte_order(rows):
    assert list(rows) == sorted(rows)


def test_two_loads_give_equal_but_independent_trees(locale_dir):
    loader = TarnevoLoader(locale_dir({"en.json": '{"a": {"b": [1, {"c": "d"}]}, "e": []}'}))
    first = loader.load("en")
    second = loader.load("en")
    assert first == second
    assert first is not second
    assert first["a"] is not second["a"]
    assert first["a"]["b"] is not second["a"]["b"]
    assert first["a"]["b"][1] is not second["a"]["b"][1]

    first["new"] = 1
    first["a"]["b"].append(2)
    first["a"]["b"][1]["c"] = "changed"
    first["e"].append("x")
    del first["a"]["b"][0]
    expected = {"a": {"b": [1, {"c": "d"}]}, "e": []}
    assert second == expected
    assert loader.load("en") == expected


# Trees that JSON can express and that the loader hands back unchanged: integers within the
# signed 64-bit range, finite floats, any text.
json_leaves = (
    st.none()
    | st.booleans()
    | st.integers(min_value=-(2**63), max_value=2**63 - 1)
    | st.floats(allow_nan=False, allow_infinity=False)
    | st.text(max_size=8)
)
json_trees = st.recursive(
    json_leaves,
    lambda children: st.lists(children, max_size=4)
    | st.dictionaries(st.text(max_size=6), children, max_size=4),
    max_leaves=24,
)


def ordered(value):
    """The value with every dict's items as a list in iteration order, and floats tagged."""
    if isinstance(value, dict):
        return [("dict", [(k, ordered(v)) for k, v in value.items()])]
    if isinstance(value, list):
        return [("list", [ordered(v) for v in value])]
    if isinstance(value, float):
        return ("float", value.hex())
    return (type(value).__name__, value)


def sorted_like_the_loader(value):
    if isinstance(value, dict):
        return {k: sorted_like_the_loader(value[k]) for k in sorted(value)}
    if isinstance(value, list):
        return [sorted_like_the_loader(v) for v in value]
    return value


@settings(max_examples=150, deadline=None)
@given(st.dictionaries(st.text(max_size=6), json_trees, max_size=6), st.booleans())
def test_any_json_object_loads_as_json_module_reads_it(document, ensure_ascii):
    text = json.dumps(document, ensure_ascii=ensure_ascii)
    with tempfile.TemporaryDirectory() as directory:
        loader = TarnevoLoader(write_locale_files(directory, {"en.json": text}))
        loaded = loader.load("en")
    expected = sorted_like_the_loader(json.loads(text))
    assert ordered(loaded) == ordered(expected)


# Text of each width CPython stores (ASCII, Latin-1, two-byte, four-byte) and mixtures, short and
# long, since strings are decoded by width and long ones take another road.
TEXT_SAMPLES = [
    "",
    "plain ascii",
    "caf\u00e9 \u00ff",
    "\u00e9" * 300,
    "Gr\u00f6\u00dfe " * 60 + "\u0100",
    "\u65e5\u672c\u8a9e\u3067\u3059",
    "mix \u00e9 \u65e5 \U0001F389 end",
    "\U0001F389" * 255 + "x",
    "a" * 255 + "\u00e9",
    "a" * 256 + "\u00e9",
    "\u00e9" * 256,
    "\uffff\u0800\u07ff\u0080\x7f",
    "\U00010000\U0010ffff",
    "nul \x00 and \x1f",
]


@pytest.mark.parametrize("text", TEXT_SAMPLES)
def test_text_of_every_width_comes_back_unchanged_as_key_and_value(locale_dir, text):
    document = {text: text, "list": [text, text], "nested": {text: {text: text}}}
    for ensure_ascii in (True, False):
        path = locale_dir({"en.json": json.dumps(document, ensure_ascii=ensure_ascii)})
        loaded = TarnevoLoader(path).load("en")
        assert loaded == document
        assert all(type(k) is str for k in loaded)


def test_keys_repeated_across_objects_leave_every_dict_independent(locale_dir):
    plural = {"one": "a", "other": "b"}
    loader = TarnevoLoader(locale_dir({"en.json": json.dumps({f"k{i}": plural for i in range(50)})}))
    loaded = loader.load("en")
    assert all(loaded[f"k{i}"] == plural for i in range(50))
    loaded["k0"]["one"] = "changed"
    del loaded["k1"]["other"]
    assert all(loaded[f"k{i}"] == plural for i in range(2, 50))
    assert loader.load("en")["k0"] == plural
