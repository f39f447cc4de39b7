"""Trees thousands of levels deep (from namespaces) convert on a thread with a small stack."""

import ctypes
import os
import threading

import pytest

import tarnevo

SMALL_STACK = 256 * 1024
DOTS = "." * 255  # one directory name: 256 empty namespace segments
LEVELS = 15


def deep_locale_dir(root):
    """en/ with LEVELS dot-named directories and x.json at the bottom: 3841 levels of objects."""
    chain = os.path.join(str(root), "en", *([DOTS] * LEVELS))
    os.makedirs(chain)
    with open(os.path.join(chain, "x.json"), "w", encoding="utf-8") as out:
        out.write('{"leaf": [1, "two", {"three": 3.0}]}')
    return str(root)


def on_small_stack(work):
    """Runs work() on a new thread with a small stack and returns its result or raises its error."""
    outcome = {}

    def run():
        try:
            outcome["value"] = work()
        except BaseException as error:  # noqa: BLE001 - handed to the calling thread
            outcome["error"] = error

    previous = threading.stack_size(SMALL_STACK)
    try:
        thread = threading.Thread(target=run)
        thread.start()
    finally:
        threading.stack_size(previous)
    thread.join()
    if "error" in outcome:
        raise outcome["error"]
    return outcome["value"]


def test_deep_tree_converts_to_python_on_a_small_stack(tmp_path):
    loader = tarnevo.TarnevoLoader(deep_locale_dir(tmp_path))
    tree = on_small_stack(lambda: loader.load("en"))
    depth = 0
    node = tree
    while list(node) == [""]:  # walked, not recursed: comparing or printing would recurse
        node = node[""]
        depth += 1
    assert depth == LEVELS * 256
    assert node == {"x": {"leaf": [1, "two", {"three": 3.0}]}}


def test_deep_tree_is_written_by_the_c_interface_on_a_small_stack(tmp_path):
    library = ctypes.CDLL(tarnevo.__file__)
    library.tarnevo_create_loader.restype = ctypes.c_void_p
    library.tarnevo_create_loader.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
    library.tarnevo_load_json.restype = ctypes.c_void_p
    library.tarnevo_load_json.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
    library.tarnevo_free_string.argtypes = [ctypes.c_void_p]
    library.tarnevo_free_loader.argtypes = [ctypes.c_void_p]
    handle = library.tarnevo_create_loader(deep_locale_dir(tmp_path).encode(), None)
    assert handle
    try:
        pointer = on_small_stack(lambda: library.tarnevo_load_json(handle, b"en"))
        assert pointer
        try:
            text = ctypes.string_at(pointer)
        finally:
            library.tarnevo_free_string(pointer)
    finally:
        library.tarnevo_free_loader(handle)
    levels = LEVELS * 256
    expected = b'{"":' * levels + b'{"x":{"leaf":[1,"two",{"three":3.0}]}}' + b"}" * levels
    assert text == expected


@pytest.mark.parametrize("locale", ["en", "xx"])
def test_deep_tree_survives_reload_and_fallback(tmp_path, locale):
    loader = tarnevo.TarnevoLoader(deep_locale_dir(tmp_path))
    first = on_small_stack(lambda: loader.load(locale))
    on_small_stack(lambda: loader.reload())
    second = on_small_stack(lambda: loader.load(locale))
    assert first is not second
    del first, second  # freed level by level by CPython's own deallocation guard
