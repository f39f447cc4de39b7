"""Shared helpers: locale directories written into pytest's temporary directories, and Python
code run while the module builds a result."""

import gc
import os
import pathlib
import sys

import pytest

import tarnevo

# The wheel test runs this suite against the installed package; make sure that is what was
# imported, not a module left on the path by a build tree.
_EXPECTED_PREFIX = os.environ.get("TARNEVO_EXPECT_INSTALLED_UNDER")
if _EXPECTED_PREFIX:
    _module_path = os.path.realpath(tarnevo.__file__)
    if not _module_path.startswith(os.path.realpath(_EXPECTED_PREFIX) + os.sep):
        sys.exit(f"tarnevo was imported from {_module_path}, not from {_EXPECTED_PREFIX}")


def write_locale_files(root, files):
    """Writes {relative path: text or bytes} under `root` and returns `root` as str."""
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
    """A factory: locale_dir({"en.json": "{...}"}) -> the directory's path as str."""
    counter = iter(range(1_000_000))

    def make(files):
        return write_locale_files(tmp_path / f"locales{next(counter)}", files)

    return make


@pytest.fixture
def loader(locale_dir):
    """A loader over a directory with the locales en and fr."""
    path = locale_dir({"en.json": '{"greeting": "hello", "only_en": 1}', "fr.json": '{"greeting": "bonjour"}'})
    return tarnevo.TarnevoLoader(path)


def load_with_finalizer(loader, locale, finalizer):
    """loader.load(locale) with a garbage collection due among its first allocations, whose
    finalizer calls finalizer(): Python code running while the module builds the result. Before
    3.12 only (later versions collect at the next bytecode boundary, not at an allocation)."""
    if sys.version_info >= (3, 12):
        pytest.skip("collections wait for the next bytecode boundary, not for an allocation")

    class Trap:
        def __del__(self):
            finalizer()

    threshold = gc.get_threshold()
    gc.disable()
    try:
        gc.collect()
        trap = Trap()
        trap.cycle = trap
        del trap
        gc.set_threshold(200)
        gc.enable()
        return loader.load(locale)
    finally:
        gc.set_threshold(*threshold)
        gc.enable()
