"""Running the built tarnevo command, and the locale directories the tests give it."""

import ctypes
import json
import os
import pathlib
import re
import subprocess

import pytest

REPO = pathlib.Path(__file__).resolve().parents[2]
EXAMPLES = pathlib.Path(os.environ.get("TARNEVO_EXAMPLES", REPO / "examples"))


def _cli_path():
    path = os.environ.get("TARNEVO_CLI") or str(REPO / "build" / "cli" / "tarnevo")
    if not os.access(path, os.X_OK):
        pytest.exit(f"no tarnevo command at {path}; set TARNEVO_CLI", returncode=1)
    return path


CLI = _cli_path()


def run(*args, cwd=None):
    """Runs tarnevo with `args` (str or bytes); returns the CompletedProcess with bytes output."""
    return subprocess.run([CLI, *args], capture_output=True, cwd=cwd, timeout=60)


_PLACE = re.compile(r"  (?:defined at )?\S+:\d+:\d+$", re.M)


def unplaced_text(text):
    """The text report without the `path:line:column` that ends each finding's line."""
    return _PLACE.sub("", text)


def unplaced_report(report):
    """The JSON report with keys alone: "missing"/"extra" as key lists, findings without places,
    for tests about what is found rather than where."""
    for locale in report["locales"]:
        for field in ("missing", "extra"):
            if field in locale:
                locale[field] = [item["key"] for item in locale[field]]
    for finding in report["findings"]:
        del finding["line"], finding["column"]
    return report


def write_tree(root, files):
    """Writes {relative path: text or bytes} under `root`; returns `root` as str."""
    root = pathlib.Path(root)
    root.mkdir(parents=True, exist_ok=True)
    for relative, content in files.items():
        path = root / relative
        path.parent.mkdir(parents=True, exist_ok=True)
        if isinstance(content, bytes):
            path.write_bytes(content)
        else:
            path.write_text(content, encoding="utf-8")
    return str(root)


@pytest.fixture
def locale_dir(tmp_path):
    """A factory: locale_dir({"en.json": "{...}"}) -> a new directory's path as str."""
    counter = iter(range(1_000_000))
    return lambda files: write_tree(tmp_path / f"locales{next(counter)}", files)


def _reader_works(tmp_path_factory, file_name, text):
    root = write_tree(tmp_path_factory.mktemp("probe"), {file_name: text})
    return run("load", root, "en").stdout == b'{"a":1}\n'


@pytest.fixture(scope="session")
def yaml_and_toml(tmp_path_factory):
    """Skips the test until the YAML and TOML readers are built into this tarnevo."""
    if not _reader_works(tmp_path_factory, "en.yml", "a: 1\n"):
        pytest.skip("the YAML reader is not built yet")
    if not _reader_works(tmp_path_factory, "en.toml", "a = 1\n"):
        pytest.skip("the TOML reader is not built yet")


@pytest.fixture(scope="session")
def c_load_json():
    """tarnevo_load_json of the C library, as a function (dir, locale, default) -> bytes or None."""
    library_path = os.environ.get("TARNEVO_C_LIBRARY")
    if not library_path:
        pytest.skip("no C library in this build (or a sanitizer build)")
    library = ctypes.CDLL(library_path)
    library.tarnevo_create_loader.restype = ctypes.c_void_p
    library.tarnevo_create_loader.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
    library.tarnevo_load_json.restype = ctypes.c_void_p
    library.tarnevo_load_json.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
    library.tarnevo_free_string.argtypes = [ctypes.c_void_p]
    library.tarnevo_free_loader.argtypes = [ctypes.c_void_p]

    def load(directory, locale, default="en"):
        loader = library.tarnevo_create_loader(str(directory).encode(), default.encode())
        assert loader
        try:
            text = library.tarnevo_load_json(loader, locale.encode())
            if not text:
                return None
            try:
                return ctypes.string_at(text)
            finally:
                library.tarnevo_free_string(text)
        finally:
            library.tarnevo_free_loader(loader)

    return load


def check_json(*args):
    """`tarnevo check ... --json`: the exit status and the report, positions left out."""
    result = run("check", *args, "--json")
    return result.returncode, unplaced_report(json.loads(result.stdout))


def locale_entry(report, name):
    return next(locale for locale in report["locales"] if locale["name"] == name)
