"""A locale completed from the default locale, across several JSON and TOML files of each,
against a plain Python statement of the rules: files in directory-walk order, each under its
namespace, earlier files winning and nulls filled by later ones, then gaps and nulls filled
from the default."""

import json
import os
import tempfile

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from conftest import write_locale_files
from tarnevo import TarnevoLoader

MISSING = object()


def fill(target, source):
    if isinstance(target, dict) and isinstance(source, dict):
        for key, value in source.items():
            current = target.get(key, MISSING)
            if current is MISSING:
                target[key] = value
            else:
                target[key] = fill(current, value)
        return target
    if target is None and source is not None:
        return source
    return target


def walk_order(root):
    """(relative path parts) of every locale file, in the order a depth-first walk meets them."""
    found = []

    def walk(path, parts):
        with os.scandir(path) as it:
            entries = list(it)
        for entry in entries:
            if entry.is_dir(follow_symlinks=False):
                walk(entry.path, parts + [entry.name])
            elif entry.name.endswith((".json", ".toml")):
                found.append(parts + [entry.name])

    walk(root, [])
    return found


def expected_locale(root, locale, trees):
    result = {}
    for parts in walk_order(root):
        stem = parts[-1].rsplit(".", 1)[0]
        if parts[0] != locale and not (len(parts) == 1 and stem == locale):
            continue
        value = json.loads(json.dumps(trees["/".join(parts)]))  # a copy of its own
        if len(parts) > 1:
            for segment in reversed(parts[1:-1] + [stem]):
                value = {segment: value}
        result = fill(result, value)
    return result


def toml_text(table):
    """A TOML document of `table` (no nulls), every nested value written inline."""

    def value(v):
        if isinstance(v, bool):
            return "true" if v else "false"
        if isinstance(v, (int, str)):
            return json.dumps(v, ensure_ascii=False)
        if isinstance(v, list):
            return "[" + ", ".join(value(x) for x in v) + "]"
        return "{" + ", ".join(f"{k} = {value(x)}" for k, x in v.items()) + "}"

    return "".join(f"{k} = {value(v)}\n" for k, v in table.items())


def without_nulls(v):
    if isinstance(v, dict):
        return {k: without_nulls(x) for k, x in v.items() if x is not None}
    if isinstance(v, list):
        return [without_nulls(x) for x in v if x is not None]
    return v


keys = st.sampled_from(["a", "b", "c"])
leaves = st.none() | st.booleans() | st.integers(-3, 3) | st.sampled_from(["x", "y", "\u00e9"])
trees = st.recursive(
    leaves,
    lambda children: st.lists(children, max_size=2) | st.dictionaries(keys, children, max_size=3),
    max_leaves=10,
)
# Files of one locale: the top-level file and files under a directory, some nested, some sharing
# a namespace prefix with another.
# Each file is JSON or TOML (TOML: a table without nulls).
file_names = st.sampled_from(["{l}", "{l}/a", "{l}/b", "{l}/a/b", "{l}/c/a"])
locale_files = st.dictionaries(
    file_names,
    st.tuples(st.dictionaries(keys, trees, max_size=3) | trees, st.sampled_from(["json", "toml"])),
    min_size=1, max_size=4)


@settings(max_examples=300, deadline=None)
@given(locale_files, locale_files)
def test_a_locale_is_completed_from_the_default_as_the_rules_say(fr_files, en_files):
    documents = {}
    trees = {}
    for locale, files in (("fr", fr_files), ("en", en_files)):
        for name, (tree, fmt) in files.items():
            if fmt == "toml":
                tree = without_nulls(tree) if isinstance(tree, dict) else {}
            path = f"{name.format(l=locale)}.{fmt}"
            documents[path] = json.dumps(tree) if fmt == "json" else toml_text(tree)
            trees[path] = tree
    with tempfile.TemporaryDirectory() as directory:
        root = write_locale_files(directory, documents)
        expected = fill(expected_locale(root, "fr", trees), expected_locale(root, "en", trees))
        assert TarnevoLoader(root).load("fr") == expected


# A default file that fails anywhere, also inside values the locale already has, fills nothing.
@pytest.mark.parametrize(
    "broken",
    [
        '{"greeting": 1e400, "only_en": 1}',
        '{"greeting": "bad \\q escape", "only_en": 1}',
        '{"greeting": "raw \x01 control", "only_en": 1}',
        '{"greeting": {"deep": ' + "[" * 130 + "]" * 130 + '}, "only_en": 1}',
        '{"greeting": [1, 2,], "only_en": 1}',
        '{"greeting": "\\ud800", "only_en": 1}',
    ],
)
def test_a_default_that_fails_where_the_locale_has_values_fills_nothing(locale_dir, broken):
    path = locale_dir({"fr.json": '{"greeting": "bonjour", "empty": null}', "en.json": broken})
    assert TarnevoLoader(path).load("fr") == {"greeting": "bonjour", "empty": None}


EN_UI = {"title": "Title", "menu": {"open": "Open", "close": "Close", "new": "New"},
         "list": [1, 2], "help": {"about": "About"}}


@pytest.mark.parametrize("en_format", ["json", "toml"])
def test_the_default_fills_beside_leaves_the_locale_keeps(locale_dir, en_format):
    en_ui = json.dumps(EN_UI) if en_format == "json" else toml_text(EN_UI)
    path = locale_dir({
        "fr/ui.json": '{"title": "Titre", "menu": {"open": "Ouvrir", "close": null}, "list": [1]}',
        f"en/ui.{en_format}": en_ui,
        "en/ui/menu.json": '{"extra": "Extra"}',
    })
    assert TarnevoLoader(path).load("fr") == {
        "ui": {
            "title": "Titre",
            "menu": {"open": "Ouvrir", "close": "Close", "new": "New", "extra": "Extra"},
            "list": [1],
            "help": {"about": "About"},
        }
    }
