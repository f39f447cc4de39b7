"""The loader's behaviour as Python sees it: results, errors, caching and rediscovery."""

import os
import pathlib

import pytest

from tarnevo import TarnevoLoader, create_locale_loader


def raised_runtime_error(call):
    with pytest.raises(RuntimeError) as caught:
        call()
    error = caught.value
    assert type(error) is RuntimeError
    assert len(error.args) == 1 and str(error) == error.args[0]
    assert error.__cause__ is None
    return error.args[0]


def test_languages_are_sorted_bytewise_and_exists_is_exact(locale_dir):
    loader = TarnevoLoader(locale_dir({"en.json": "{}", "EN.json": "{}", "de.json": "{}", "fr/a.json": "{}"}))
    languages = loader.languages()
    assert languages == ["EN", "de", "en", "fr"]
    assert all(type(name) is str for name in languages)
    assert loader.languages() is not languages
    assert loader.exists("fr") and loader.exists("EN")
    assert not loader.exists("Fr") and not loader.exists("xx") and not loader.exists("")
    assert loader.exists(locale="de") is True


def test_directory_not_found_for_missing_path_and_for_a_file(tmp_path):
    missing = str(tmp_path / "missing")
    assert raised_runtime_error(lambda: TarnevoLoader(missing)) == "Directory not found: " + missing
    assert raised_runtime_error(lambda: create_locale_loader(missing, "fr")) == "Directory not found: " + missing
    regular = tmp_path / "file.json"
    regular.write_text("{}")
    assert raised_runtime_error(lambda: TarnevoLoader(str(regular))) == "Directory not found: " + str(regular)


def test_locale_not_found_names_the_default_locale(locale_dir):
    loader = TarnevoLoader(locale_dir({"fr.json": '{"a": 1}'}))
    assert raised_runtime_error(lambda: loader.load("de")) == "Locale not found: en"
    assert raised_runtime_error(lambda: loader.load("en")) == "Locale not found: en"
    empty_default = TarnevoLoader(locale_dir({"fr.json": "{}"}), "")
    assert raised_runtime_error(lambda: empty_default.load("")) == "Locale not found: "


def test_io_errors(locale_dir):
    path = locale_dir({"en.json": b'{"a": "\xff"}', "fr.json": '{"a": 1}'})
    loader = TarnevoLoader(path, "en")
    assert raised_runtime_error(lambda: loader.load("en")) == "IO Error: stream did not contain valid UTF-8"
    french_default = TarnevoLoader(path, "fr")
    os.remove(os.path.join(path, "fr.json"))
    assert french_default.exists("fr")
    assert raised_runtime_error(lambda: french_default.load("fr")) == (
        "IO Error: No such file or directory (os error 2)"
    )


def test_parse_error_carries_the_readers_message(locale_dir):
    loader = TarnevoLoader(locale_dir({"en.json": '{"a": 1,}'}))
    message = raised_runtime_error(lambda: loader.load("en"))
    assert message.startswith("Parse Error: Failed to parse JSON: ")
    assert " at line 1 column " in message


def test_fallback_and_filling_from_the_default_locale(locale_dir):
    loader = TarnevoLoader(
        locale_dir(
            {
                "en.json": '{"a": "en-a", "b": "en-b", "list": [1, 2], "deep": {"x": 1, "y": 2}}',
                "fr.json": '{"a": null, "b": "fr-b", "list": [3], "deep": {"x": 9}}',
                "de.json": '{"broken": ',
            }
        )
    )
    assert loader.load("fr") == {"a": "en-a", "b": "fr-b", "deep": {"x": 9, "y": 2}, "list": [3]}
    english = loader.load("en")
    assert loader.load("de") == english
    assert loader.load("xx") == english
    assert not loader.exists("xx")


def test_cache_clear_and_reload(locale_dir):
    path = pathlib.Path(locale_dir({"en.json": '{"v": 1}', "fr.json": '{"v": 10}'}))
    loader = TarnevoLoader(str(path))
    assert loader.load("en") == {"v": 1} and loader.load("fr") == {"v": 10}
    (path / "en.json").write_text('{"v": 2}')
    (path / "fr.json").write_text('{"v": 20}')
    assert loader.load("en") == {"v": 1}  # still cached

    assert loader.clear_cache("xx") is None
    assert loader.clear_cache(locale="en") is None
    assert loader.load("en") == {"v": 2} and loader.load("fr") == {"v": 10}

    (path / "de.json").write_text('{"v": 30}')
    assert not loader.exists("de")
    assert loader.reload("fr") is None
    assert loader.languages() == ["de", "en", "fr"]
    assert loader.load("fr") == {"v": 20}

    (path / "en.json").write_text('{"v": 3}')
    (path / "fr.json").write_text('{"v": 40}')
    assert loader.reload(locale=None) is None
    assert loader.load("en") == {"v": 3} and loader.load("fr") == {"v": 40}

    (path / "en.json").write_text('{"v": 4}')
    (path / "fr.json").write_text('{"v": 50}')
    assert loader.clear_cache() is None
    assert loader.load("en") == {"v": 4} and loader.load("fr") == {"v": 50}
    (path / "en.json").write_text('{"v": 5}')
    assert loader.reload() is None
    assert loader.load("en") == {"v": 5}


def test_default_locale_rules_of_constructor_and_factory(locale_dir):
    path = locale_dir({"en.json": '{"k": "en"}', "fr.json": '{"k": "fr"}'})
    english = {"k": "en"}
    french = {"k": "fr"}
    assert TarnevoLoader(path).load("xx") == english
    assert create_locale_loader(path).load("xx") == english
    assert create_locale_loader(path, None).load("xx") == english
    assert create_locale_loader(path, default_locale=None).load("xx") == english
    assert create_locale_loader(dir_path=path, default_locale="fr").load("xx") == french
    assert TarnevoLoader(path, "fr").load("xx") == french
    assert TarnevoLoader(dir_path=path, default_locale="fr").load("xx") == french
    assert type(create_locale_loader(path)) is TarnevoLoader
    with pytest.raises(TypeError) as caught:
        TarnevoLoader(path, None)
    assert str(caught.value) == (
        "argument 'default_locale': 'NoneType' object cannot be converted to 'PyString'"
    )
