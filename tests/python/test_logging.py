"""What a load gets past is logged on the logger "tarnevo"; values and exceptions stay as they are."""

import logging
import os
import sys

import pytest

import tarnevo

EN = '{"hello": "Hello", "bye": "Bye"}'


@pytest.mark.parametrize(
    "name, content, message",
    [
        ("de.json", b"", "Parse Error: Failed to parse JSON: EOF while parsing a value at line 1 column 0"),
        ("es.json", b'\xef\xbb\xbf{"hello": "Hola"}', "Parse Error: Failed to parse JSON: expected value at line 1 column 1"),
        ("fr.json", b'{"hello": "Salut",}', "Parse Error: Failed to parse JSON: trailing comma at line 1 column 19"),
        ("it.json", b'{"hello": "Ciao \xff"}', "IO Error: stream did not contain valid UTF-8"),
        ("pl/app.yaml", b"a: [1\n", "Parse Error: Failed to parse YAML: "),
    ],
)
def test_a_broken_file_is_one_warning_naming_it_and_a_hit_is_silent(locale_dir, caplog, name, content, message):
    path = locale_dir({"en.json": EN, name: content})
    loader = tarnevo.TarnevoLoader(path)
    locale = name.split("/")[0].split(".")[0]
    with caplog.at_level(logging.DEBUG, logger="tarnevo"):
        assert loader.load(locale) == loader.load("en")
        assert loader.load(locale) == loader.load("en")
    (record,) = caplog.records
    assert (record.name, record.levelno) == ("tarnevo", logging.WARNING)
    assert record.args[:3] == (locale, "en", locale)
    assert record.args[3] == os.path.join(path, name)
    assert record.args[4].startswith(message)


def test_filling_that_fails_is_a_warning(locale_dir, caplog):
    path = locale_dir({"en/app.json": "{", "fr.json": '{"hello": "Salut"}'})
    with caplog.at_level(logging.INFO, logger="tarnevo"):
        assert tarnevo.TarnevoLoader(path).load("fr") == {"hello": "Salut"}
    (record,) = caplog.records
    assert record.levelno == logging.WARNING
    assert record.args[:3] == ("en", "fr", os.path.join(path, "en", "app.json"))


def test_a_locale_not_shipped_is_info(locale_dir, caplog):
    path = locale_dir({"en.json": EN})
    with caplog.at_level(logging.INFO, logger="tarnevo"):
        tarnevo.TarnevoLoader(path).load("pt")
    (record,) = caplog.records
    assert record.levelno == logging.INFO
    assert record.getMessage() == f"locale 'pt' is not in {path}, so 'en' answers for 'pt'"


@pytest.mark.parametrize("make", [tarnevo.TarnevoLoader, tarnevo.create_locale_loader])
def test_a_default_without_files_is_a_warning_at_construction(locale_dir, caplog, make):
    path = locale_dir({"en.json": EN})
    with caplog.at_level(logging.INFO, logger="tarnevo"):
        make(path, "eng")
        make(path, "en")
    (record,) = caplog.records
    assert record.levelno == logging.WARNING
    assert record.args == ("eng", path)


def test_a_handler_that_raises_does_not_break_load(locale_dir, monkeypatch):
    class Raising(logging.Handler):
        def handle(self, record):
            raise ValueError("handler broke")

    reported = []
    monkeypatch.setattr(sys, "unraisablehook", reported.append)
    logger = logging.getLogger("tarnevo")
    handler = Raising()
    logger.addHandler(handler)
    try:
        path = locale_dir({"en.json": EN, "de.json": ""})
        assert tarnevo.TarnevoLoader(path).load("de") == {"bye": "Bye", "hello": "Hello"}
    finally:
        logger.removeHandler(handler)
    assert [str(report.exc_value) for report in reported] == ["handler broke"]


def test_an_error_from_a_file_keeps_its_message_and_notes_the_file(locale_dir):
    path = locale_dir({"en.json": "{"})
    with pytest.raises(RuntimeError) as caught:
        tarnevo.TarnevoLoader(path).load("fr")
    assert caught.value.args == ("Parse Error: Failed to parse JSON: EOF while parsing an object at line 1 column 1",)
    notes = getattr(caught.value, "__notes__", None)
    if sys.version_info >= (3, 11):
        assert notes == [f"in file {path}/en.json"]
    else:
        assert notes is None
