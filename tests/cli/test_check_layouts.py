"""tarnevo check on the layouts real repositories have: root-keyed files, files that add nothing,
files left out with --exclude, and the report's --show / --only and capped default output."""

import json

import pytest

from conftest import check_json, locale_entry, run

ROOTED = {
    "en.yml": "en:\n  hello: 'Hi %{name}'\n  bye: Bye\n",
    "de.yml": "de:\n  hello: 'Hallo %{nom}'\n  bye: Tschüss\n",
    "pt-BR.yml": "pt_br:\n  hello: 'Olá %{name}'\n",
}


@pytest.mark.parametrize(
    "mode, rooted, de_completeness, de_placeholders",
    [
        (None, True, 100.0, [{"key": "hello", "missing": ["%{name}"], "unexpected": ["%{nom}"]}]),
        ("on", True, 100.0, [{"key": "hello", "missing": ["%{name}"], "unexpected": ["%{nom}"]}]),
        ("off", False, 0.0, []),
    ],
)
def test_root_keyed_directories_compare_beneath_the_locale_key(yaml_and_toml, locale_dir, mode, rooted, de_completeness, de_placeholders):
    path = locale_dir(ROOTED)
    args = [path] + (["--root-key", mode] if mode else [])
    status, report = check_json(*args)
    de = locale_entry(report, "de")
    assert (report["root_keyed"], de["completeness"], de["placeholders"]) == (rooted, de_completeness, de_placeholders)
    assert locale_entry(report, "pt-BR")["missing"] == (["bye"] if rooted else ["en.bye", "en.hello"])
    assert status == (1 if rooted else 0)
    header = "Root-keyed: each file holds its locale's keys beneath the locale's name"
    assert run("check", *args).stdout.decode().startswith(header) == rooted


def test_a_root_key_naming_another_locale_is_a_finding(yaml_and_toml, locale_dir):
    path = locale_dir(dict(ROOTED, **{"fr.yml": "de:\n  hello: 'Bonjour %{name}'\n  bye: Salut\n"}))
    status, report = check_json(path)
    fr = locale_entry(report, "fr")
    assert fr["root_key"] == [{"path": f"{path}/fr.yml", "key": "de"}]
    assert (fr["missing"], fr["extra"], fr["completeness"]) == ([], [], 100.0)  # read beneath it all the same
    assert f"  root-key     {path}/fr.yml: its root key de names another locale than fr" in run("check", path).stdout.decode()
    assert run("check", path, "--strict", "--only", "root-key").returncode == 1


@pytest.mark.parametrize(
    "files, mode, rooted",
    [
        ({"en/broken.json": "{"}, None, False),  # a default that does not read cannot show the layout
        ({"en/broken.json": "{"}, "on", True),
        ({"en/more.yml": "app:\n  title: T\n"}, None, False),  # one key, but not the locale's
    ],
)
def test_what_makes_a_directory_root_keyed(yaml_and_toml, locale_dir, files, mode, rooted):
    path = locale_dir(dict(ROOTED, **files))
    _, report = check_json(path, *(["--root-key", mode] if mode else []))
    assert report["root_keyed"] == rooted


def test_a_sole_key_that_names_no_locale_is_kept(yaml_and_toml, locale_dir):
    path = locale_dir(dict(ROOTED, **{"fr.yml": "app:\n  hello: 'Bonjour %{name}'\n"}))
    _, report = check_json(path)
    assert (locale_entry(report, "fr")["root_key"], locale_entry(report, "fr")["extra"]) == ([], ["app.hello"])


def test_a_list_form_default_fails_and_says_why(yaml_and_toml, locale_dir):
    items = "- id: hello\n  translation: Hi\n"
    path = locale_dir({"en.yml": items, "de.yml": items, "fr.yml": items})
    result = run("check", path)
    lines = result.stdout.decode().splitlines()
    assert result.returncode == 1 and len(lines) <= 10
    assert lines[-1] == f"FAILED: The default locale en has no keys, so nothing can be compared: {path}/en.yml holds a list."
    _, report = check_json(path)
    assert report["ok"] is False and report["empty_default"] == [{"path": f"{path}/en.yml", "holds": "a list"}]
    assert locale_entry(report, "de")["not_object"] == [{"path": f"{path}/de.yml", "holds": "a list"}]
    # A file below a locale's folder is placed under its name, so a list there is a value.
    path = locale_dir({"en.json": '{"a": "A"}', "en/list.json": "[1]", "de.json": '"text"'})
    status, report = check_json(path)
    assert (status, locale_entry(report, "en")["not_object"], locale_entry(report, "de")["not_object"]) == (0, [], [{"path": f"{path}/de.json", "holds": "a string"}])


@pytest.mark.parametrize(
    "patterns, locales",
    [
        ([], ["de", "en", "percentages"]),
        (["percentages.json"], ["de", "en"]),
        (["p*.json"], ["de", "en"]),
        (["*.json"], ["de"]),  # "*" stays within one segment: de/extra/x.json is kept
        (["**/x.json", "percentages.*"], ["en"]),
        (["de/**"], ["en", "percentages"]),
    ],
)
def test_exclude_leaves_files_out_before_reading(locale_dir, patterns, locales):
    path = locale_dir({"en.json": '{"a": "A"}', "de/extra/x.json": '{"b": "B"}', "percentages.json": "{broken"})
    args = [arg for pattern in patterns for arg in ("--exclude", pattern)]
    status, report = check_json(path, *args)
    assert [locale["name"] for locale in report["locales"]] == locales
    # The stray file does not parse; without en.json there is no default locale.
    assert status == (1 if "percentages" in locales or "en" not in locales else 0)


def test_unknown_locale_names_are_said_in_the_header(locale_dir):
    path = locale_dir({"en.json": '{"a": "A"}', "percentages.json": '{"de": 50}', "pt-BR.json": "{}"})
    text = run("check", path).stdout.decode()
    assert "\npercentages (not a locale CLDR knows): 1 file, 0 of 1 key (0.0%)" in text
    assert "\npt-BR: 1 file" in text
    _, report = check_json(path)
    assert [locale_entry(report, name)["known_to_cldr"] for name in ("en", "percentages", "pt-BR")] == [True, False, True]


BULK = {
    "en.json": json.dumps({f"k{i}": f"Text {i} {{name}}" for i in range(6)}),
    "fr.json": json.dumps({"k0": "Texte {nom}", **{f"k{i}": "" for i in range(1, 6)}}),
}


@pytest.mark.parametrize(
    "args, status, listed, counted",
    [
        ([], 1, {"placeholder": 1}, {"blank": 5}),
        (["--show", "blank"], 1, {"placeholder": 1, "blank": 5}, {}),
        (["--show", "all"], 1, {"placeholder": 1, "blank": 5}, {}),
        (["--strict"], 1, {"placeholder": 1, "blank": 5}, {}),  # what fails is listed in full
        (["--only", "blank"], 0, {}, {"blank": 5}),
        (["--only", "placeholder,missing"], 1, {"placeholder": 1}, {}),
        (["--only", "blank", "--only", "placeholder", "--show", "blank"], 1, {"placeholder": 1, "blank": 5}, {}),
    ],
)
def test_show_only_and_the_capped_default(locale_dir, args, status, listed, counted):
    path = locale_dir(BULK)
    result = run("check", path, *args)
    lines = result.stdout.decode().splitlines()
    kinds = [line.split()[0] for line in lines if line.startswith("  ")]
    found_listed = {kind: n for kind in set(kinds) if (n := sum(1 for line in lines if line.startswith(f"  {kind} ") and "(--show " not in line))}
    assert result.returncode == status
    assert found_listed == listed
    for kind, n in counted.items():
        assert f"  {kind:<13}{n}: k1, k2, k3, ... (--show {kind} for all {n})" in lines
    assert len([kind for kind in kinds if kind in counted]) == len(counted)
    _, report = check_json(path, *args)
    assert sorted({finding["kind"] for finding in report["findings"]}) == sorted(set(listed) | set(counted))


def test_json_findings_are_one_flat_list(locale_dir):
    path = locale_dir({**BULK, "de.json": '{"k0": "Text {name}", "z": 1}'})
    status, report = check_json(path)
    findings = report["findings"]
    assert all(set(finding) == {"kind", "locale", "key", "file", "message", "fails"} for finding in findings)
    # Each at the file that writes its key; a missing key where the default defines it.
    assert findings[0] == {"kind": "missing", "locale": "de", "key": "k1", "file": f"{path}/en.json", "message": "", "fails": False}
    assert {"kind": "placeholder", "locale": "fr", "key": "k0", "file": f"{path}/fr.json", "message": "missing {name}; unexpected {nom}", "fails": True} in findings
    assert {"kind": "extra", "locale": "de", "key": "z", "file": f"{path}/de.json", "message": "", "fails": False} in findings
    assert (status, report["ok"], report["only"][:3]) == (1, False, ["failure", "placeholder", "icu-syntax"])
    assert locale_entry(report, "fr")["icu_syntax"] == [] and locale_entry(report, "fr")["dropped_selectors"] == []


def test_absent_locales_are_said_first(locale_dir):
    path = locale_dir({"de.json": '{"a": "A"}'})
    lines = run("check", path, "--locale", "pt").stdout.decode().splitlines()
    assert lines[:2] == ["FAILED: Locale not found: en (the default locale; name another with --default)",
                         "FAILED: Locale not found: pt (named by --locale)"]


@pytest.mark.parametrize(
    "args, message",
    [
        (["--only", "blank,nope"], "--only 'blank,nope': unknown kind 'nope'"),
        (["--show", ""], "--show '': unknown kind ''"),
        (["--root-key", "maybe"], "--root-key 'maybe': give auto, on or off"),
        (["--exclude"], "option '--exclude' needs a file pattern"),
    ],
)
def test_option_mistakes(locale_dir, args, message):
    result = run("check", locale_dir({"en.json": "{}"}), *args)
    assert result.returncode == 2 and message in result.stderr.decode()
