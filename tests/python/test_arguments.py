"""Binding of call arguments and conversion of text arguments, with their exact messages."""

import pathlib

import pytest

from tarnevo import TarnevoLoader, create_locale_loader

BINDING_ERRORS = [
    # missing
    (lambda d, l: TarnevoLoader(), "TarnevoLoader.__new__() missing 1 required positional argument: 'dir_path'"),
    (lambda d, l: TarnevoLoader(default_locale="fr"), "TarnevoLoader.__new__() missing 1 required positional argument: 'dir_path'"),
    (lambda d, l: create_locale_loader(), "create_locale_loader() missing 1 required positional argument: 'dir_path'"),
    (lambda d, l: l.load(), "TarnevoLoader.load() missing 1 required positional argument: 'locale'"),
    (lambda d, l: l.exists(), "TarnevoLoader.exists() missing 1 required positional argument: 'locale'"),
    # too many, all parameters required ("arguments" stays plural)
    (lambda d, l: l.load("en", "fr"), "TarnevoLoader.load() takes 1 positional arguments but 2 were given"),
    (lambda d, l: l.exists("en", "fr", "de"), "TarnevoLoader.exists() takes 1 positional arguments but 3 were given"),
    # too many, some parameters optional
    (lambda d, l: TarnevoLoader(d, "en", "x"), "TarnevoLoader.__new__() takes from 1 to 2 positional arguments but 3 were given"),
    (lambda d, l: create_locale_loader("a", "b", "c"), "create_locale_loader() takes from 1 to 2 positional arguments but 3 were given"),
    (lambda d, l: l.reload("a", "b"), "TarnevoLoader.reload() takes from 0 to 1 positional arguments but 2 were given"),
    (lambda d, l: l.clear_cache(None, None), "TarnevoLoader.clear_cache() takes from 0 to 1 positional arguments but 2 were given"),
    # unexpected keyword, reported before a missing argument
    (lambda d, l: l.load(name="en"), "TarnevoLoader.load() got an unexpected keyword argument 'name'"),
    (lambda d, l: l.exists(locale="en", extra=1), "TarnevoLoader.exists() got an unexpected keyword argument 'extra'"),
    (lambda d, l: l.clear_cache(x=1), "TarnevoLoader.clear_cache() got an unexpected keyword argument 'x'"),
    (lambda d, l: TarnevoLoader(path=d), "TarnevoLoader.__new__() got an unexpected keyword argument 'path'"),
    (lambda d, l: create_locale_loader(d, default="en"), "create_locale_loader() got an unexpected keyword argument 'default'"),
    (lambda d, l: l.load(**{"\ud800": 1}), "TarnevoLoader.load() got an unexpected keyword argument '\ud800'"),
    # multiple values
    (lambda d, l: l.load("en", locale="en"), "TarnevoLoader.load() got multiple values for argument 'locale'"),
    (lambda d, l: l.reload("en", locale=None), "TarnevoLoader.reload() got multiple values for argument 'locale'"),
    (lambda d, l: TarnevoLoader(d, dir_path=d), "TarnevoLoader.__new__() got multiple values for argument 'dir_path'"),
    (lambda d, l: create_locale_loader(d, "en", default_locale="fr"), "create_locale_loader() got multiple values for argument 'default_locale'"),
    # binding fails before any argument is converted
    (lambda d, l: l.exists(1, 2), "TarnevoLoader.exists() takes 1 positional arguments but 2 were given"),
    (lambda d, l: TarnevoLoader(None, bad=None), "TarnevoLoader.__new__() got an unexpected keyword argument 'bad'"),
]


@pytest.mark.parametrize("call, message", BINDING_ERRORS)
def test_binding_errors_are_type_errors_with_exact_texts(loader, locale_dir, call, message):
    with pytest.raises(TypeError) as caught:
        call(locale_dir({}), loader)
    assert type(caught.value) is TypeError
    assert caught.value.args == (message,)


def test_languages_takes_no_arguments(loader):
    with pytest.raises(TypeError):
        loader.languages("en")


class Unnamed(type):
    """A metaclass whose classes have no readable __qualname__."""

    def __getattribute__(cls, name):
        if name == "__qualname__":
            raise RuntimeError("no name")
        return super().__getattribute__(name)


class Nameless(metaclass=Unnamed):
    pass


class Outer:
    class Inner:
        pass


NOT_A_STRING = [
    (lambda d, l: l.exists(1), "locale", "int"),
    (lambda d, l: l.exists(None), "locale", "NoneType"),
    (lambda d, l: l.exists(b"en"), "locale", "bytes"),
    (lambda d, l: l.load(1.5), "locale", "float"),
    (lambda d, l: l.load(locale=["en"]), "locale", "list"),
    (lambda d, l: l.reload(5), "locale", "int"),
    (lambda d, l: l.clear_cache(b"en"), "locale", "bytes"),
    (lambda d, l: l.load(Outer.Inner()), "locale", "Outer.Inner"),
    (lambda d, l: l.load(Nameless()), "locale", "<failed to extract type name>"),
    (lambda d, l: TarnevoLoader(pathlib.Path(d)), "dir_path", "PosixPath"),
    (lambda d, l: TarnevoLoader(pathlib.PurePosixPath(d)), "dir_path", "PurePosixPath"),
    (lambda d, l: TarnevoLoader(d.encode()), "dir_path", "bytes"),
    (lambda d, l: TarnevoLoader(d, None), "default_locale", "NoneType"),
    (lambda d, l: TarnevoLoader(d, default_locale=None), "default_locale", "NoneType"),
    (lambda d, l: create_locale_loader(None), "dir_path", "NoneType"),
    (lambda d, l: create_locale_loader(d, 5), "default_locale", "int"),
]


@pytest.mark.parametrize("call, parameter, type_name", NOT_A_STRING)
def test_text_arguments_must_be_str(loader, locale_dir, call, parameter, type_name):
    with pytest.raises(TypeError) as caught:
        call(locale_dir({"en.json": "{}"}), loader)
    assert type(caught.value) is TypeError
    expected = f"argument '{parameter}': '{type_name}' object cannot be converted to 'PyString'"
    assert caught.value.args == (expected,)
    assert caught.value.__cause__ is None


class Hostile(str):
    """A str subclass whose methods must never be consulted by the module."""

    def _refuse(self, *args, **kwargs):
        raise AssertionError("a method of the str subclass was called")

    __str__ = __repr__ = __eq__ = __hash__ = __len__ = __iter__ = __getitem__ = _refuse
    encode = __fspath__ = __index__ = _refuse


def test_str_subclass_is_read_as_its_characters(locale_dir):
    path = locale_dir({"en.json": '{"k": "en"}', "fr.json": '{"k": "fr"}'})
    loader = TarnevoLoader(Hostile(path), Hostile("fr"))
    assert loader.exists(Hostile("fr"))
    assert not loader.exists(Hostile("FR"))
    assert loader.load(Hostile("en")) == {"k": "en"}
    assert loader.load(locale=Hostile("xx")) == {"k": "fr"}  # falls back to the default
    loader.clear_cache(Hostile("en"))
    loader.reload(Hostile("en"))
    assert create_locale_loader(Hostile(path), Hostile("en")).languages() == ["en", "fr"]


@pytest.mark.parametrize(
    "call",
    [
        lambda d, l: l.load("\ud800"),
        lambda d, l: l.exists("en\udfff"),
        lambda d, l: l.reload("\udc80"),
        lambda d, l: l.clear_cache(locale="\ud800"),
        lambda d, l: TarnevoLoader(d + "\ud800"),
        lambda d, l: TarnevoLoader(d, "\ud800"),
        lambda d, l: create_locale_loader(d, "\ud800"),
    ],
)
def test_lone_surrogate_raises_the_codecs_unicode_encode_error(loader, locale_dir, call):
    with pytest.raises(UnicodeEncodeError) as caught:
        call(locale_dir({}), loader)
    assert caught.value.encoding == "utf-8"


def test_text_is_passed_unaltered(locale_dir):
    # Case, surrounding blanks and normalisation forms are all kept as given.
    path = locale_dir({"é.json": '{"k": 1}', " en .json": '{"k": 2}', "EN.json": '{"k": 3}'})
    loader = TarnevoLoader(path, "none")
    assert loader.exists("\u00e9")
    assert not loader.exists("e\u0301")
    assert loader.exists(" en ")
    assert not loader.exists("en")
    assert loader.load("EN") == {"k": 3}


@pytest.mark.parametrize("make", [TarnevoLoader, create_locale_loader])
@pytest.mark.parametrize("suffix", ["\x00junk", "\x00"])
def test_directory_with_a_nul_is_not_found_whole(locale_dir, make, suffix):
    path = locale_dir({"en.json": '{"k": 1}'}) + suffix
    with pytest.raises(RuntimeError) as caught:
        make(path)
    assert caught.value.args == (f"Directory not found: {path}",)
    # Locale names with a NUL are names like any other: they simply match nothing.
    loader = TarnevoLoader(path[: -len(suffix)], "en\x00")
    assert loader.exists("en") and not loader.exists("en\x00")
    with pytest.raises(RuntimeError) as caught:
        loader.load("en\x00x")
    assert caught.value.args == ("Locale not found: en\x00",)
