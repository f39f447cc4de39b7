"""tarnevo check: every failing file, the key report against the default locale, exit statuses."""

import json

import pytest

from conftest import EXAMPLES, run, unplaced_report, unplaced_text

EN = {
    "a": "A",
    "b": {"c": "C", "d": "D"},
    "e": ["x"],
    "f": "F",
    "g": {"h": "H"},
    "n": None,
    "empty": {},
    "reviewed": {"$__toml_private_datetime": "2024-03-01"},
}
# Against EN: a and e provided (arrays whole); b.c (null) and b.d and reviewed missing; f and g
# conflict; n (null in en) and extra.k extra; extra.nil is null, so nothing.
FR = {"a": "a", "b": {"c": None}, "e": ["y", "z"], "f": {"x": "X"}, "g": "G", "n": "N", "extra": {"k": "K", "nil": None}}


@pytest.fixture
def mixed_dir(locale_dir):
    complete = dict(EN, n="filled anyway")
    return locale_dir({"en.json": json.dumps(EN), "fr.json": json.dumps(FR), "de/all.json": json.dumps({"x": 1}), "de.json": json.dumps(complete)})


def check_json(*args):
    result = run("check", *args, "--json")
    assert result.stdout.endswith(b"\n") and result.stdout.count(b"\n") == 1
    return result.returncode, unplaced_report(json.loads(result.stdout))


def test_key_report_text(mixed_dir):
    result = run("check", mixed_dir)
    assert result.returncode == 0
    assert result.stderr == b""
    # Conflicts are keys the locale lacks, since filling cannot give them.
    assert "  missing      f: a value in en, keys below it in fr\n" in unplaced_text(run("check", mixed_dir, "--show", "missing").stdout.decode())
    assert unplaced_text(result.stdout.decode()) == (
        "en (default): 1 file, 7 keys\n"
        "de: 2 files, 7 of 7 keys (100.0%), 2 extra\n"
        "  extra        all.x\n"
        "  extra        n\n"
        "fr: 1 file, 2 of 7 keys (28.5%), 5 missing, 2 extra, 1 shape mismatch\n"
        "  missing      5: b.c, b.d, reviewed, ... (--show missing for all 5)\n"
        "  extra        extra.k\n"
        "  extra        n\n"
        "  shape        e: array of 2, en has array of 1\n"
        "\n"
        "OK: 4 files in 3 locales read; 1 locale lacks keys, which loading fills from en; --strict fails on 1 shape mismatch.\n"
    )


def test_key_report_json(mixed_dir):
    status, report = check_json(mixed_dir)
    assert status == 0
    assert report["ok"] is True and report["strict"] is False
    assert report["directory"] == mixed_dir
    assert (report["default_locale"], report["default_found"], report["failures"]) == ("en", True, [])
    de, en, fr = report["locales"]  # byte order; the text puts the default first
    assert en == {
        "name": "en", "default": True, "files": 1, "failing_files": 0, "loads": True, "keys": 7,
        "plural_categories": ["one", "other"], "plurals": [], "shadowed": [],
        "known_to_cldr": True, "not_object": [], "root_key": [],
    }
    assert de["completeness"] == 100.0 and de["missing"] == [] and de["extra"] == ["all.x", "n"]
    assert fr == {
        "name": "fr", "default": False, "files": 1, "failing_files": 0, "loads": True, "keys": 6,
        "missing": ["b.c", "b.d", "reviewed"], "extra": ["extra.k", "n"], "conflicts": ["f", "g"], "inherited": 0, "inherited_from": [],
        "default_keys": 7, "provided": 2, "completeness": 28.5,
        "plural_categories": ["one", "many", "other"], "plurals": [], "shadowed": [],
        "placeholders": [], "shapes": [{"key": "e", "locale": "array of 2", "default": "array of 1"}], "blank": [],
        "known_to_cldr": True, "not_object": [], "root_key": [], "icu_syntax": [], "dropped_selectors": [],
    }


def test_strict_fails_on_missing_keys_only(mixed_dir, locale_dir):
    assert run("check", mixed_dir, "--strict").returncode == 1
    assert "\nFAILED (--strict): 1 locale lacks keys of en.\n" in run("check", mixed_dir, "--strict").stdout.decode()
    status, report = check_json(mixed_dir, "--strict")
    assert (status, report["ok"], report["strict"]) == (1, False, True)
    # Extra keys alone pass.
    extra_only = locale_dir({"en.json": '{"a": 1}', "fr.json": '{"a": 2, "b": 3}'})
    assert run("check", extra_only, "--strict").returncode == 0


def test_completeness_rounds_down_so_only_complete_is_100(locale_dir):
    en = {f"k{i:04}": "x" for i in range(3000)}
    fr = dict(list(en.items())[:-1])
    _, report = check_json(locale_dir({"en.json": json.dumps(en), "fr.json": json.dumps(fr)}))
    assert report["locales"][1]["completeness"] == 99.9


def test_broken_example_reports_every_failing_file():
    broken = EXAMPLES / "broken"
    result = run("check", str(broken))
    assert result.returncode == 1
    lines = unplaced_text(result.stdout.decode()).splitlines()
    assert lines[:3] == [
        f"{broken}/es/cart.yml: Parse Error: Failed to parse YAML: " + lines[0].split("YAML: ", 1)[1],
        f"{broken}/es/common.json: Parse Error: Failed to parse JSON: trailing comma at line 4 column 1",
        f"{broken}/es/errors.json: IO Error: stream did not contain valid UTF-8",
    ]
    assert "es: 4 files (3 failing: loading es gives en instead), 1 of 7 keys (14.2%), 6 missing, 1 extra" in lines
    assert "  extra        nav.contact" in lines
    assert lines[-1] == "FAILED: 3 of 5 files failed to read."

    status, report = check_json(str(broken))
    assert status == 1 and report["ok"] is False
    assert [(f["locale"], f["path"]) for f in report["failures"]] == [
        ("es", f"{broken}/es/cart.yml"), ("es", f"{broken}/es/common.json"), ("es", f"{broken}/es/errors.json")
    ]
    assert report["failures"][0]["error"].startswith("Parse Error: Failed to parse YAML: ")
    assert report["failures"][1]["error"] == "Parse Error: Failed to parse JSON: trailing comma at line 4 column 1"
    es = report["locales"][1]
    assert (es["loads"], es["failing_files"], es["files"]) == (False, 3, 4)


def test_failing_default_locale(locale_dir):
    path = locale_dir({"en/a.json": '{"k": 1}', "en/b.json": "[1,", "fr.json": '{"a": {"k": 2}}'})
    result = run("check", path)
    assert result.returncode == 1
    text = result.stdout.decode()
    assert f"{path}/en/b.json: Parse Error: Failed to parse JSON: EOF while parsing a value at line 1 column 3\n" in text
    assert "en (default): 2 files (1 failing: loading en fails, and no locale is filled from it), 1 key\n" in text
    assert "fr: 1 file, 1 of 1 key (100.0%)\n" in text


@pytest.mark.parametrize("files", [{}, {"fr.json": '{"a": 1}'}])
def test_missing_default_locale_fails(locale_dir, files):
    path = locale_dir(files)
    result = run("check", path)
    assert result.returncode == 1
    assert "FAILED: Locale not found: en (the default locale; name another with --default)\n" in result.stdout.decode()
    status, report = check_json(path)
    assert (status, report["default_found"], report["ok"]) == (1, False, False)
    assert all("missing" not in locale for locale in report["locales"])


def test_default_option_changes_the_reference(mixed_dir):
    status, report = check_json(mixed_dir, "--default", "fr")
    assert status == 0
    en = report["locales"][1]
    assert en["name"] == "en" and en["default"] is False and report["locales"][2]["default"] is True
    assert "n" not in en["extra"] and en["conflicts"] == ["f", "g"]
