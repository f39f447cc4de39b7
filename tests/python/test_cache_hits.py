"""Cache hits hand out new lists and dicts every time, however the cached result is kept."""

import json
import pathlib
import sys

import pytest

from conftest import load_with_finalizer
from tarnevo import TarnevoLoader

NESTED = {
    "a": {"b": {"c": ["x", {"d": [1, 2.5, None, True]}, []], "e": {}}},
    "list": [{"k": "v"}, [["deep"]]],
    "leaf": "text",
}


def containers(value):
    """Every dict and list in `value`, the value itself included."""
    found, pending = [], [value]
    while pending:
        item = pending.pop()
        if isinstance(item, (dict, list)):
            found.append(item)
            pending.extend(item.values() if isinstance(item, dict) else item)
    return found


def spoil(value):
    """Changes every dict and list in `value` in place."""
    for item in containers(value):
        if isinstance(item, dict):
            for key in list(item):
                if not isinstance(item[key], (dict, list)):
                    item[key] = "spoilt"
            item["added"] = 1
        else:
            item.append("added")


def test_results_share_no_container_and_changes_never_reach_the_cache(locale_dir):
    loader = TarnevoLoader(locale_dir({"en.json": json.dumps(NESTED)}))
    results = [loader.load("en") for _ in range(5)]  # the cold load, then hits
    seen = set()
    for result in results:
        assert result == NESTED
        ids = {id(item) for item in containers(result)}
        assert not ids & seen
        seen |= ids
    for result in results:
        spoil(result)
        assert loader.load("en") == NESTED


@pytest.mark.parametrize("drop", ["clear_cache", "reload"])
@pytest.mark.parametrize("which", ["en", None])
def test_hits_after_clear_cache_and_reload_give_the_new_content(locale_dir, drop, which):
    path = pathlib.Path(locale_dir({"en.json": json.dumps(NESTED)}))
    loader = TarnevoLoader(str(path))
    for _ in range(3):
        assert loader.load("en") == NESTED
    changed = {"a": {"b": ["new"]}, "leaf": "other"}
    (path / "en.json").write_text(json.dumps(changed))
    assert loader.load("en") == NESTED  # still cached
    getattr(loader, drop)(which)
    for _ in range(3):
        assert loader.load("en") == changed


def test_a_result_made_while_the_cache_is_cleared_is_not_kept(locale_dir):
    members = ", ".join(f'"k{i}": {{"v": [{i}]}}' for i in range(2000))
    path = pathlib.Path(locale_dir({"en.json": "{" + members + "}"}))
    loader = TarnevoLoader(str(path))
    changed = {"k": "new"}

    def finalizer():
        (path / "en.json").write_text(json.dumps(changed))
        loader.clear_cache()

    first = load_with_finalizer(loader, "en", finalizer)  # the cache is cleared meanwhile
    assert len(first) == 2000
    assert loader.load("en") == changed


def keys_of(value):
    """The first dict key object of each text in `value`."""
    found = {}
    for item in containers(value):
        if isinstance(item, dict):
            for key in item:
                found.setdefault(key, key)
    return found


def test_locales_of_one_loader_share_key_objects_until_the_loader_goes(locale_dir):
    loader = TarnevoLoader(locale_dir({"en.json": json.dumps(NESTED), "fr.json": '{"leaf": "fr"}'}))
    en, fr = loader.load("en"), loader.load("fr")
    shared = keys_of(en)
    assert all(key is shared[key] for key in keys_of(fr))
    spoil(en)
    assert loader.load("fr") == {**NESTED, "leaf": "fr"}
    spoil(fr)
    assert loader.load("en") == NESTED
    key = next(k for k in keys_of(loader.load("en")) if k == "leaf")
    del en, fr
    loader.clear_cache()  # the results go, the key table stays with the loader
    assert keys_of(loader.load("fr"))["leaf"] is key
    held = sys.getrefcount(key)
    del loader
    assert sys.getrefcount(key) < held
