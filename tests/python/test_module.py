"""The module object, the class and the function as CPython exposes them."""

import gc
import inspect
import re
import subprocess
import sys
import textwrap
import types
import weakref
from importlib import metadata
from pathlib import Path

import pytest

import tarnevo
from conftest import load_with_finalizer
from tarnevo import TarnevoLoader, create_locale_loader


def run_python(code, **kwargs):
    return subprocess.run(
        [sys.executable, "-c", textwrap.dedent(code)],
        capture_output=True,
        text=True,
        timeout=120,
        **kwargs,
    )


def test_public_names_in_order():
    assert tarnevo.__all__ == ["TarnevoLoader", "create_locale_loader"]
    assert type(tarnevo.__all__) is list
    assert tarnevo.__doc__ == ""
    assert tarnevo.__name__ == "tarnevo"
    assert tarnevo.__file__.endswith(".abi3.so")
    assert [name for name in dir(tarnevo) if not name.startswith("_")] == tarnevo.__all__


def test_version_is_the_package_version():
    try:
        expected = metadata.version("tarnevo")
    except metadata.PackageNotFoundError:  # the build tree: the line the metadata is read from
        cmake_lists = (Path(__file__).parents[2] / "CMakeLists.txt").read_text(encoding="utf-8")
        expected = re.search(r"project\(tarnevo\s+VERSION\s+([0-9.]+)", cmake_lists).group(1)
    assert tarnevo.__version__ == expected
    assert "__version__" not in tarnevo.__all__


def test_class_and_function_identity():
    assert TarnevoLoader.__module__ == "builtins"
    assert TarnevoLoader.__name__ == "TarnevoLoader"
    assert TarnevoLoader.__qualname__ == "TarnevoLoader"
    assert TarnevoLoader.__bases__ == (object,)
    assert TarnevoLoader.__doc__ == ""
    assert type(create_locale_loader) is types.BuiltinFunctionType
    assert create_locale_loader.__module__ == "tarnevo"
    assert create_locale_loader.__self__ is tarnevo
    assert create_locale_loader.__name__ == "create_locale_loader"


@pytest.mark.parametrize(
    "callable_of, signature",
    [
        (lambda l: TarnevoLoader, "(dir_path, default_locale='en')"),
        (lambda l: create_locale_loader, "(dir_path, default_locale=None)"),
        (lambda l: l.languages, "()"),
        (lambda l: l.exists, "(locale)"),
        (lambda l: l.load, "(locale)"),
        (lambda l: l.reload, "(locale=None)"),
        (lambda l: l.clear_cache, "(locale=None)"),
        (lambda l: TarnevoLoader.load, "(self, /, locale)"),
    ],
)
def test_signatures(loader, callable_of, signature):
    if callable_of(loader) is TarnevoLoader and sys.version_info < (3, 10):
        pytest.skip("before 3.10, PyType_FromSpec drops the signature from a class's docstring")
    assert str(inspect.signature(callable_of(loader))) == signature


def test_methods_are_exactly_the_five():
    own = {name for name, value in vars(TarnevoLoader).items() if not name.startswith("__")}
    assert own == {"languages", "exists", "load", "reload", "clear_cache"}
    assert TarnevoLoader.__repr__ is object.__repr__
    assert TarnevoLoader.__eq__ is object.__eq__


def test_class_cannot_be_subclassed():
    with pytest.raises(TypeError):
        type("Sub", (TarnevoLoader,), {})


def test_instances_take_no_attributes_or_weak_references(loader):
    with pytest.raises(AttributeError):
        loader.x = 1
    with pytest.raises(AttributeError):
        loader.load = None
    assert not hasattr(loader, "__dict__")
    with pytest.raises(TypeError):
        weakref.ref(loader)
    assert not gc.is_tracked(loader)


def test_methods_refuse_other_receivers():
    with pytest.raises(TypeError):
        TarnevoLoader.load(object(), "en")


def test_second_initialization_in_a_process_is_refused():
    result = run_python(
        """
        import sys
        import tarnevo
        first = tarnevo
        del sys.modules["tarnevo"]
        try:
            import tarnevo
        except ImportError as error:
            print("refused:", error)
        else:
            print("imported again")
        """
    )
    assert result.returncode == 0, result.stderr
    assert result.stdout.startswith("refused: ")
    assert result.stdout.rstrip("\n").endswith("may only be initialized once per interpreter process")


def test_finalizer_cannot_reload_while_a_load_is_building_its_result(locale_dir):
    members = ", ".join(f'"k{i}": {{"v": [{i}]}}' for i in range(2000))
    loader = TarnevoLoader(locale_dir({"en.json": "{" + members + "}"}))
    expected = loader.load("en")
    seen = []

    def finalizer():
        try:
            loader.reload()
        except RuntimeError as error:
            seen.append(str(error))
        seen.append(loader.load("en") == expected)  # shared access is still granted

    result = load_with_finalizer(loader, "en", finalizer)
    assert seen == ["Already borrowed", True]
    assert result == expected
    loader.reload()  # access was handed back


def test_panic_exception_for_a_result_that_cannot_be_allocated(locale_dir):
    # Under an address-space limit that leaves no room for a large dict, building the result
    # fails inside the module; that is an internal fault, not an error of the call. (A hit shares
    # the leaves of the first result, so only its containers are made anew.)
    path = locale_dir({"en.json": "{" + ",".join(f'"k{i}":0' for i in range(1 << 21)) + "}"})
    result = run_python(
        f"""
        import resource
        import tarnevo

        loader = tarnevo.TarnevoLoader({path!r})
        first = loader.load("en")  # keeps the result
        del first
        with open("/proc/self/statm") as statm:
            size = int(statm.read().split()[0]) * resource.getpagesize()
        resource.setrlimit(resource.RLIMIT_AS, (size + (24 << 20), resource.RLIM_INFINITY))
        try:
            loader.load("en")
        except BaseException as error:
            kind = type(error)
            print(kind.__name__, kind.__bases__[0].__name__, issubclass(kind, Exception), error)
        else:
            print("loaded")
        """
    )
    assert result.stdout == "PanicException BaseException False Python API call failed\n", result.stderr
    assert "MemoryError" in result.stderr  # the underlying error was printed first
