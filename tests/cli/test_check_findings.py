"""tarnevo check as a CI gate: placeholders, plural groups, shapes, blank strings, shadowed keys,
the --locale and --ignore filters, failure positions, and load --strict."""

import json
import subprocess

import pytest

from conftest import CLI, check_json, locale_entry, run, unplaced_report, unplaced_text

EN = {
    "greeting": "Hello, {name}!",
    "photos": {"one": "{count} photo", "other": "{count} photos"},
    "weekdays": ["Mon", "Tue", "Wed"],
    "retries": 3,
}


@pytest.mark.parametrize(
    "files, field, entries, text_line, fails_without_strict",
    [
        ({"fr.json": dict(EN, greeting="Bonjour, {nom} !")}, "placeholders",
         [{"key": "greeting", "missing": ["{name}"], "unexpected": ["{nom}"]}],
         "  placeholder  greeting: missing {name}; unexpected {nom}", True),
        ({"ar.json": EN}, "plurals", [{"key": "photos", "kind": "nested", "missing": ["zero", "two", "few", "many"], "unexpected": []}],
         "  plural       photos: missing zero, two, few, many", False),
        ({"fr.json": dict(EN, weekdays=["lun."], retries="3")}, "shapes",
         [{"key": "retries", "locale": "string", "default": "number"},
          {"key": "weekdays", "locale": "array of 1", "default": "array of 3"}],
         "  shape        weekdays: array of 1, en has array of 3", False),
        ({"fr.json": dict(EN, greeting=" \u00a0\t")}, "blank", [{"key": "greeting"}],
         "  blank        greeting", False),
        ({"fr.json": EN, "fr/photos.json": {"other": "{count} photos (fr)"}}, "shadowed", None,
         "  shadowed     photos.other: ", False),
    ],
)
def test_each_finding_in_text_json_and_exit_status(locale_dir, files, field, entries, text_line, fails_without_strict):
    path = locale_dir({"en.json": json.dumps(EN), **{name: json.dumps(value) for name, value in files.items()}})
    locale = next(iter(files)).split(".")[0].split("/")[0]
    status, report = check_json(path)
    found = locale_entry(report, locale)[field]
    if entries is not None:
        assert found == entries
    else:  # shadowed: which file wins follows the listing, so it is held against what loads
        (shadowed,) = found
        assert shadowed["key"] == "photos.other" and sorted(shadowed["files"]) == [f"{path}/fr.json", f"{path}/fr/photos.json"]
        assert shadowed["wins"] == shadowed["files"][0]
        loaded = json.loads(run("load", path, "fr").stdout)["photos"]["other"]
        assert loaded == ("{count} photos" if shadowed["wins"].endswith("/fr.json") else "{count} photos (fr)")
    assert text_line in run("check", path).stdout.decode()
    assert (status, report["ok"]) == ((1, False) if fails_without_strict else (0, True))
    assert run("check", path, "--strict").returncode == 1


def test_blank_strings_are_not_provided(locale_dir):
    path = locale_dir({"en.json": '{"a": "A", "b": "B", "c": ""}', "fr.json": '{"a": "", "b": "B", "c": ""}'})
    _, report = check_json(path)
    fr = locale_entry(report, "fr")
    assert (fr["blank"], fr["provided"], fr["default_keys"]) == ([{"key": "a"}], 2, 3)


# (default string, locale string, missing, unexpected): one directory, one key per case.
PLACEHOLDER_CASES = {
    "same_words": ("Hello, {name}!", "Bonjour, {name} !", [], []),
    "renamed": ("Hello, {name}!", "Bonjour, {nom} !", ["{name}"], ["{nom}"]),
    "numbered": ("{0} of {1}", "{1} sur {0}", [], []),
    "icu_plural": ("{count, plural, one {# file by {user}} other {{count} files by {user}}}",
                   "{count, plural, one {# fichier} other {{count} fichiers de {auteur}}}", ["{user}"], ["{auteur}"]),
    "icu_vs_simple": ("{count, plural, other {# items}}", "{count} articles", [], []),
    "double_braces": ("Hi {{ name }}, {{count, number}}", "Salut {{name}}", ["{{count}}"], []),
    "ruby": ("%{count} items", "%{nombre} articles", ["%{count}"], ["%{nombre}"]),
    "python": ("%(count)d of %(total).2f", "%(count)s sur %(total)f", ["%(count)d"], ["%(count)s"]),
    "printf_reordered": ("%s has %d photos", "%2$d photos pour %1$s", [], []),
    "printf_dropped": ("%s of %s", "%s", ["%s"], []),
    "percent_signs": ("100%% sure, 50% off", "50 % de remise", [], []),
    "form_changed": ("{name}", "{{name}}", ["{name}"], ["{{name}}"]),
    "icu_nested": ("{g, select, f {{n, plural, offset:1 other {She and # others, {place}}}} other {{who}}}",
                   "{g, select, f {{n, plural, offset:1 other {Elle et # autres}}} other {{qui}}}",
                   ["{place}", "{who}"], ["{qui}"]),
    "icu_number": ("{total, number, ::currency/EUR}", "{total}", [], []),
    "python_format": ("{price:.2f} by {user!r}", "{price} par {utilisateur}", ["{user}"], ["{utilisateur}"]),
}


def test_placeholder_forms(locale_dir):
    en = {key: case[0] for key, case in PLACEHOLDER_CASES.items()}
    fr = {key: case[1] for key, case in PLACEHOLDER_CASES.items()}
    _, report = check_json(locale_dir({"en.json": json.dumps(en), "fr.json": json.dumps(fr)}))
    found = {item["key"]: (item["missing"], item["unexpected"]) for item in locale_entry(report, "fr")["placeholders"]}
    expected = {key: (case[2], case[3]) for key, case in PLACEHOLDER_CASES.items() if case[2] or case[3]}
    assert found == expected


def test_plural_categories_may_vary_the_count_placeholder_only(locale_dir):
    en = {"photos": {"one": "One photo by {user}", "other": "{count} photos by {user}"}}
    # Polish "few" and "many" have no English counterpart: they are held against "other".
    pl = {"photos": {"one": "{count} zdjęcie {user}", "few": "{count} zdjęcia", "many": "Zdjęcia {user}", "other": "{count} zdjęcia {user}"}}
    _, report = check_json(locale_dir({"en.json": json.dumps(en), "pl.json": json.dumps(pl)}))
    pl_entry = locale_entry(report, "pl")
    assert pl_entry["placeholders"] == [{"key": "photos.few", "missing": ["{user}"], "unexpected": []}]
    assert (pl_entry["plurals"], pl_entry["extra"], pl_entry["missing"]) == ([], [], [])


@pytest.mark.parametrize(
    "locale, categories, photos, missing_keys, plural_gap",
    [
        # Japanese has only "other": lacking "one" is not missing.
        ("ja", ["other"], {"other": "写真{count}枚"}, [], []),
        ("ar", ["zero", "one", "two", "few", "many", "other"], {"one": "صورة", "other": "{count} صور"}, [], ["zero", "two", "few", "many"]),
        # Polish "few" and "many" are not extra.
        ("pl", ["one", "few", "many", "other"], {"one": "1 zdjęcie", "few": "{count} zdjęcia", "other": "{count} zdjęć"}, [], ["many"]),
        ("fr", ["one", "many", "other"], {"other": "{count} photos"}, ["photos.one"], ["one", "many"]),
        # The full tag, then the language: pt_BR and pt-BR are pt.
        ("pt_BR", ["one", "many", "other"], {"one": "{count} foto", "many": "{count} de fotos", "other": "{count} fotos"}, [], []),
        ("pt-BR", ["one", "many", "other"], {"one": "{count} foto", "other": "{count} fotos"}, [], ["many"]),
        # Without "other" the locale's object is still judged as the default's group.
        ("de", ["one", "other"], {"one": "{count} Foto"}, ["photos.other"], ["other"]),
        # Unknown to CLDR: keys are compared as keys.
        ("xx", None, {"other": "{count}"}, ["photos.one"], []),
        # ... though its categories may still say the count in words.
        ("xx", None, {"one": "Ein Foto", "other": "{count}"}, [], []),
    ],
)
def test_plural_groups_follow_cldr(locale_dir, locale, categories, photos, missing_keys, plural_gap):
    en = {"photos": {"one": "{count} photo", "other": "{count} photos"}}
    _, report = check_json(locale_dir({"en.json": json.dumps(en), f"{locale}.json": json.dumps({"photos": photos})}))
    entry = locale_entry(report, locale)
    assert entry["plural_categories"] == categories
    assert (entry["missing"], entry["extra"], entry["placeholders"]) == (missing_keys, [], [])
    assert entry["plurals"] == ([{"key": "photos", "kind": "nested", "missing": plural_gap, "unexpected": []}] if plural_gap else [])


def test_the_default_locale_is_judged_by_its_own_language(locale_dir):
    path = locale_dir({"ru.json": json.dumps({"files": {"one": "{count} файл", "other": "{count} файла"}})})
    _, report = check_json(path, "--default", "ru")
    assert locale_entry(report, "ru")["plurals"] == [{"key": "files", "kind": "nested", "missing": ["few", "many"], "unexpected": []}]


def test_shadowed_keys_name_every_file_and_the_winner_that_load_uses(locale_dir):
    path = locale_dir({
        "en.json": "{}",
        "fr.json": json.dumps({"nav": {"home": "Accueil", "help": {"x": "1"}}}),
        "fr/nav.json": json.dumps({"home": "Maison", "help": "Aide", "about": "À propos"}),
        "fr/nav/help.json": json.dumps({"x": "X"}),
    })
    _, report = check_json(path)
    shadowed = {item["key"]: item for item in locale_entry(report, "fr")["shadowed"]}
    assert sorted(shadowed["nav.help"]["files"]) == sorted(f"{path}/{name}" for name in ("fr.json", "fr/nav.json", "fr/nav/help.json"))
    loaded = json.loads(run("load", path, "fr").stdout)["nav"]
    assert shadowed["nav.home"]["wins"] == f"{path}/" + {"Accueil": "fr.json", "Maison": "fr/nav.json"}[loaded["home"]]
    # The string "Aide" keeps the whole of nav.help when its file is read first; otherwise the two
    # objects are joined, and their x is shadowed in turn.
    help_is_a_string = shadowed["nav.help"]["wins"] == f"{path}/fr/nav.json"
    assert (loaded["help"] == "Aide") == help_is_a_string
    assert set(shadowed) == {"nav.help", "nav.home"} | (set() if help_is_a_string else {"nav.help.x"})


def test_locale_filter(locale_dir):
    path = locale_dir({"en.json": '{"a": "A"}', "de.json": '{"b": 1}', "fr.json": '{"a": "{x}"}', "it.json": "{"})
    status, report = check_json(path, "--locale", "de", "--locale=de")
    assert status == 0 and [locale["name"] for locale in report["locales"]] == ["de"]
    assert locale_entry(report, "de")["missing"] == ["a"]  # still compared with en
    status, report = check_json(path, "--locale", "fr", "--locale", "en")
    assert status == 1 and [locale["name"] for locale in report["locales"]] == ["en", "fr"]
    status, report = check_json(path, "--locale", "pt", "--locale", "de")
    assert (status, report["locales_not_found"]) == (1, ["pt"])
    assert "FAILED: Locale not found: pt (named by --locale)\n" in run("check", path, "--locale", "pt").stdout.decode()


def test_ignore_patterns_leave_paths_out_of_every_finding(locale_dir):
    en = {"legal": {"terms": "T", "privacy": "P"}, "nav": {"home": "H", "help_title": "{x}"}, "a.b": {"c": "C"}, "deep": {"x": {"y": {"home": "H"}}}}
    fr = {"nav": {"home": "", "help_title": "{y}"}, "deep": {"x": {"y": {"home": ["H"]}}}}
    path = locale_dir({"en.json": json.dumps(en), "fr.json": json.dumps(fr)})
    _, report = check_json(path)
    assert locale_entry(report, "fr")["missing"] == ['"a.b".c', "legal.privacy", "legal.terms"]
    status, report = check_json(path, "--ignore", "legal", "--ignore", "nav.help_*", "--ignore", '"a.b".c', "--ignore", "**.home")
    fr_entry = locale_entry(report, "fr")
    assert status == 0
    assert [fr_entry[field] for field in ("missing", "placeholders", "blank", "shapes")] == [[], [], [], []]
    assert fr_entry["default_keys"] == 0
    # A pattern is a path: an unquoted "a.b" is two segments and leaves "a.b".c in.
    _, report = check_json(path, "--ignore", "a.b")
    assert '"a.b".c' in locale_entry(report, "fr")["missing"]


@pytest.mark.parametrize("pattern", ['"open', '"a"b', ""])
def test_malformed_ignore_patterns_are_usage_errors(locale_dir, pattern):
    result = run("check", locale_dir({"en.json": "{}"}), "--ignore", pattern)
    assert result.returncode == 2 and result.stderr.startswith(f"tarnevo: --ignore '{pattern}': ".encode())


def test_key_segments_that_would_read_as_others_are_quoted(locale_dir):
    en = {"v1.2": "x", "": "empty", 'say "hi"': "q", "a*": "star", "plain-key_1": "p"}
    _, report = check_json(locale_dir({"en.json": json.dumps(en), "fr.json": "{}"}))
    assert locale_entry(report, "fr")["missing"] == ['""', '"a*"', "plain-key_1", '"say \\"hi\\""', '"v1.2"']


@pytest.mark.parametrize(
    "name, text, position",
    [
        ("fr.json", '{"a": [1,}', (1, 10)),
        ("fr.yaml", "a: 1\n  b: 2\n", (2, 4)),
        # The fault's position, not that of what the reader was in ("... at line 1 column 4").
        ("fr.yaml", "a: [1, 2\nb: 3\n", (2, 2)),
        ("fr.toml", "a = 1\nb = \n", (2, 5)),
        ("fr.json", b'{"a": "\xff"}', None),
    ],
)
def test_failures_carry_their_position(locale_dir, yaml_and_toml, name, text, position):
    _, report = check_json(locale_dir({"en.json": "{}", name: text}))
    (failure,) = report["failures"]
    assert (failure.get("line"), failure.get("column")) == (position or (None, None))


@pytest.mark.parametrize("locale, reason", [("pt", "no locale 'pt' in "), ("es", "locale 'es' does not load (")])
def test_load_strict_refuses_to_print_the_default_instead(locale_dir, locale, reason):
    path = locale_dir({"en.json": '{"a": "A"}', "es.json": "{", "fr.json": '{"b": "B"}'})
    result = run("load", path, locale, "--strict")
    assert (result.returncode, result.stdout) == (1, b"")
    assert result.stderr.decode().startswith(f"tarnevo: {reason}")
    assert run("load", path, "fr", "--strict").stdout == run("load", path, "fr").stdout == b'{"a":"A","b":"B"}\n'


@pytest.mark.parametrize(
    "files, shadowed",
    [
        # A null gives nothing: the later file's value is taken, and nothing is shadowed.
        ({"fr.json": '{"nav": {"home": null}}', "fr/nav.json": '{"home": "Accueil"}'}, []),
        # A top-level file that is not an object adds nothing.
        ({"fr.json": '["home"]', "fr/home.json": '"Accueil"'}, []),
        # Different keys below one object are joined, not shadowed.
        ({"fr.json": '{"nav": {"home": "A"}}', "fr/nav.json": '{"help": "B"}'}, []),
        ({"fr.json": '{"nav": {"home": "A"}}', "fr/nav/home.json": '{"title": "B"}'}, ["nav.home"]),
        ({"fr.json": '{"a": {"b": {"c": "1"}}}', "fr/a/b.json": '{"c": "2", "d": "3"}', "fr/a.json": '{"b": {"d": "4"}}'},
         ["a.b.c", "a.b.d"]),
    ],
)
def test_what_counts_as_shadowed(locale_dir, files, shadowed):
    _, report = check_json(locale_dir({"en.json": "{}", **files}))
    assert [item["key"] for item in locale_entry(report, "fr")["shadowed"]] == shadowed


@pytest.mark.parametrize(
    "pattern, left",
    [
        ("nav.*", ["deep.nav.home", "navy"]),  # nav.sub is ignored, and all below it
        ("nav.*.title", ["deep.nav.home", "nav.help", "nav.home", "navy"]),
        ("nav.h*", ["deep.nav.home", "nav.sub.title", "navy"]),
        ("nav*", ["deep.nav.home"]),
        ("**.home", ["nav.help", "nav.sub.title", "navy"]),
        ("**.nav.**", ["navy"]),
        ("**", []),
        ("nav.**.title", ["deep.nav.home", "nav.help", "nav.home", "navy"]),
        ('"nav*"', ["deep.nav.home", "nav.help", "nav.home", "nav.sub.title", "navy"]),
    ],
)
def test_ignore_pattern_matching(locale_dir, pattern, left):
    en = {"nav": {"home": "H", "help": "?", "sub": {"title": "T"}}, "navy": "N", "deep": {"nav": {"home": "H"}}}
    _, report = check_json(locale_dir({"en.json": json.dumps(en), "fr.json": "{}"}), "--ignore", pattern)
    assert locale_entry(report, "fr")["missing"] == left


def test_every_written_key_used_as_a_pattern_ignores_exactly_that_key(locale_dir):
    keys = ["v1.2", "", 'say "hi"', "a*", "back\\slash", "line\nbreak", "tab\tand space", "naïve", "**"]
    en = {"group": {key: "x" for key in keys}, "v1": {"2": "y"}}
    path = locale_dir({"en.json": json.dumps(en), "fr.json": "{}"})
    _, report = check_json(path)
    written = locale_entry(report, "fr")["missing"]
    assert len(written) == len(keys) + 1 and "v1.2" in written and 'group."v1.2"' in written
    for key in written:
        _, report = check_json(path, "--ignore", key)
        assert locale_entry(report, "fr")["missing"] == [other for other in written if other != key]
    text = unplaced_text(run("check", path, "--show", "missing").stdout.decode())
    assert '  missing      group."line\\nbreak"\n' in text  # one line per key, whatever the key holds


def test_plural_keys_are_counted_by_the_locales_own_categories(locale_dir):
    en = {"photos": {"zero": "No photos", "one": "{count} photo", "other": "{count} photos"}, "title": "T"}
    ja = {"photos": {"zero": "写真なし", "few": "{count}", "other": "写真{count}枚"}, "title": "題"}
    path = locale_dir({"en.json": json.dumps(en), "ja.json": json.dumps(ja), "ko.json": '{"title": "제목"}'})
    _, report = check_json(path)
    ja_entry, ko_entry = locale_entry(report, "ja"), locale_entry(report, "ko")
    # en's "zero" counts for ja because ja gives it; "one" does not, ja not using it; "few" is
    # an unexpected category, Japanese not using it either, and no extra key.
    assert (ja_entry["provided"], ja_entry["default_keys"], ja_entry["extra"]) == (3, 3, [])
    assert ja_entry["plurals"] == [{"key": "photos", "kind": "nested", "missing": [], "unexpected": ["few"]}]
    # A locale lacking the whole group lacks only the categories its language uses.
    assert ko_entry["missing"] == ["photos.other"]
    assert (ko_entry["provided"], ko_entry["default_keys"]) == (1, 2)


@pytest.mark.parametrize(
    "text, blank",
    [("", True), (" \t\r\n", True), ("\u3000", True), ("\u2003\u00a0\u2028", True), ("\u0085\u1680\u205f", True),
     ("\u200b", False), ("\u00a0x", False), (" .", False), ("\u00e0", False)],
)
def test_blank_means_unicode_white_space_only(locale_dir, text, blank):
    _, report = check_json(locale_dir({"en.json": '{"a": "A"}', "fr.json": json.dumps({"a": text})}))
    assert locale_entry(report, "fr")["blank"] == ([{"key": "a"}] if blank else [])


def test_a_toml_date_has_a_shape_of_its_own(locale_dir, yaml_and_toml):
    path = locale_dir({"en.toml": "released = 2024-03-01\n", "fr.json": '{"released": "1er mars"}'})
    _, report = check_json(path)
    assert locale_entry(report, "fr")["shapes"] == [{"key": "released", "locale": "string", "default": "date-time"}]


def test_a_blank_string_is_not_also_a_placeholder_mismatch(locale_dir):
    path = locale_dir({"en.json": '{"a": "Hi {name}", "b": "  "}', "fr.json": '{"a": "", "b": ""}'})
    status, report = check_json(path)
    fr = locale_entry(report, "fr")
    assert (status, fr["blank"], fr["placeholders"]) == (0, [{"key": "a"}], [])


def test_strict_summary_names_each_kind(locale_dir):
    path = locale_dir({"en.json": json.dumps(EN), "fr.json": json.dumps(dict(EN, greeting="", weekdays=["x"]))})
    ok_line = run("check", path).stdout.decode().splitlines()[-1]
    assert ok_line == "OK: 2 files in 2 locales read; --strict fails on 1 blank string, 1 plural gap and 1 shape mismatch."
    assert run("check", path, "--strict").stdout.decode().endswith(
        "FAILED (--strict): 1 blank string, 1 plural gap and 1 shape mismatch.\n")


def test_a_hostile_string_is_scanned_in_linear_time(locale_dir):
    n = 300_000
    texts = {"open": "{{" * n, "icu": "{a,select,x{" * (n // 6), "percent": "%{" * n, "nested": "{" * n + "}" * n,
             "quotes": "''" * n + "'{" * n, "style": "{n, number, " + "{" * n}
    path = locale_dir({"en.json": json.dumps(texts), "fr.json": json.dumps({k: v + "{x}" for k, v in texts.items()})})
    result = subprocess.run([CLI, "check", path, "--json"], capture_output=True, timeout=20)
    found = locale_entry(unplaced_report(json.loads(result.stdout)), "fr")["placeholders"]
    assert found == [{"key": key, "missing": [], "unexpected": ["{x}"]} for key in sorted(texts)]


@pytest.mark.parametrize(
    "fallback, inherited, inherited_from, missing",
    [
        ("default", 0, [], ["b", "c"]),
        ("regional", 1, ["fr"], ["c"]),  # fr gives b; only en has c
    ],
)
def test_regional_fallback_counts_inherited_keys_apart(locale_dir, fallback, inherited, inherited_from, missing):
    path = locale_dir({"en.json": '{"a": "A", "b": "B", "c": "C"}', "fr.json": '{"a": "A", "b": "B"}',
                       "fr_CA.json": '{"a": "A"}'})
    _, report = check_json(path, "--fallback", fallback)
    fr_ca = locale_entry(report, "fr_CA")
    assert (fr_ca["inherited"], fr_ca["inherited_from"], fr_ca["missing"]) == (inherited, inherited_from, missing)
    header = next(line for line in run("check", path, "--fallback", fallback).stdout.decode().splitlines() if line.startswith("fr_CA:"))
    assert ("1 inherited from fr" in header) == (fallback == "regional")
