"""The C interface exported by the module's own shared library, used through ctypes."""

import ctypes
import shutil
import subprocess

import pytest

import tarnevo


@pytest.fixture(scope="module")
def c_library():
    library = ctypes.CDLL(tarnevo.__file__)
    library.tarnevo_create_loader.restype = ctypes.c_void_p
    library.tarnevo_create_loader.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
    library.tarnevo_exists.restype = ctypes.c_bool
    library.tarnevo_exists.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
    library.tarnevo_languages_json.restype = ctypes.c_void_p
    library.tarnevo_languages_json.argtypes = [ctypes.c_void_p]
    library.tarnevo_load_json.restype = ctypes.c_void_p
    library.tarnevo_load_json.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
    library.tarnevo_free_string.restype = None
    library.tarnevo_free_string.argtypes = [ctypes.c_void_p]
    library.tarnevo_free_loader.restype = None
    library.tarnevo_free_loader.argtypes = [ctypes.c_void_p]
    return library


def take_string(library, pointer):
    """The text of a returned string, which is then given back."""
    if pointer is None:
        return None
    try:
        return ctypes.string_at(pointer)
    finally:
        library.tarnevo_free_string(pointer)


def test_c_functions_on_the_modules_library(c_library, locale_dir):
    path = locale_dir(
        {
            "en.json": '{"b": {"y": [1, 2.5, null, true, -3, 1e16], "x": "\u00e9\\u0000\\"/"}, "a": 1.0, "c": {}}',
            "fr.json": '{"a": null, "z": "fr"}',
        }
    )
    handle = c_library.tarnevo_create_loader(path.encode(), None)
    assert handle
    try:
        assert c_library.tarnevo_exists(handle, b"en") is True
        assert c_library.tarnevo_exists(handle, b"de") is False
        assert c_library.tarnevo_exists(handle, b"\xff") is False
        assert take_string(c_library, c_library.tarnevo_languages_json(handle)) == b'["en","fr"]'
        assert take_string(c_library, c_library.tarnevo_load_json(handle, b"en")) == (
            b'{"a":1.0,"b":{"x":"\xc3\xa9\\u0000\\"/","y":[1,2.5,null,true,-3,1e+16]},"c":{}}'
        )
        assert take_string(c_library, c_library.tarnevo_load_json(handle, b"fr")) == (
            b'{"a":1.0,"b":{"x":"\xc3\xa9\\u0000\\"/","y":[1,2.5,null,true,-3,1e+16]},"c":{},"z":"fr"}'
        )
        assert c_library.tarnevo_load_json(None, b"en") is None
        c_library.tarnevo_free_string(None)
    finally:
        c_library.tarnevo_free_loader(handle)
    assert c_library.tarnevo_create_loader(path.encode() + b"/missing", None) is None
    assert c_library.tarnevo_create_loader(None, b"en") is None
    c_library.tarnevo_free_loader(None)


@pytest.mark.skipif(shutil.which("nm") is None, reason="nm is not installed")
def test_only_the_entry_points_are_exported():
    listing = subprocess.run(
        ["nm", "-D", "--defined-only", tarnevo.__file__], capture_output=True, text=True, check=True
    ).stdout
    names = sorted(line.split()[-1] for line in listing.splitlines() if line.strip())
    assert names == [
        "PyInit_tarnevo",
        "tarnevo_create_loader",
        "tarnevo_exists",
        "tarnevo_free_loader",
        "tarnevo_free_string",
        "tarnevo_languages_json",
        "tarnevo_load_json",
    ]
