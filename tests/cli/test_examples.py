"""The bundled example directory, which needs the YAML and TOML readers: skipped until they are
built into this tarnevo, then run as the demo does."""

import json

import pytest

from conftest import EXAMPLES, run, unplaced_text

LOCALES = str(EXAMPLES / "locales")

pytestmark = pytest.mark.usefixtures("yaml_and_toml")


def test_languages():
    assert run("languages", LOCALES).stdout == b"de\nen\nfr\n"


def test_check_is_clean_and_reports_what_filling_supplies():
    result = run("check", LOCALES)
    assert result.returncode == 0, result.stdout.decode()
    text = unplaced_text(result.stdout.decode())
    assert text.startswith("en (default): 3 files, 30 keys\n")
    listed = unplaced_text(run("check", LOCALES, "--show", "missing").stdout.decode())
    assert "  missing      common.last_seen\n" in listed  # null in fr
    assert "  missing      ui.forms.meta.reviewed\n" in listed  # a TOML date is one key
    assert "  extra        common.beta_banner\n" in text
    # French uses "many" (CLDR); fr has five weekdays where en has seven.
    assert "  plural       common.photos: missing many\n" in text
    assert text.endswith(
        "OK: 6 files in 3 locales read; 2 locales lack keys, which loading fills from en;"
        " --strict fails on 2 plural gaps and 1 shape mismatch.\n"
    )
    assert run("check", LOCALES, "--strict").returncode == 1


def test_findings_example_holds_one_of_each_kind():
    result = run("check", str(EXAMPLES / "findings"))
    assert result.returncode == 1  # the placeholder mismatch
    kinds = {line.split()[0] for line in result.stdout.decode().splitlines() if line.startswith("  ")}
    assert kinds == {"missing", "blank", "placeholder", "plural", "shape", "shadowed"}


def test_french_is_filled_from_english():
    tree = json.loads(run("load", LOCALES, "fr").stdout)
    common = tree["common"]
    assert common["greeting"] == "Bonjour, {name} !"
    assert common["last_seen"] == "Last seen {date}"  # null in fr, filled
    assert common["nav"]["sign_out"] == "Sign out"  # absent in fr, filled
    assert common["weekdays_short"] == ["lun.", "mar.", "mer.", "jeu.", "ven."]  # arrays kept whole
    net = tree["errors"]["net"]
    assert net["status"] == {"404": "Page introuvable", "503": "Service unavailable, please try later"}
    assert net["reconnect_prompt"]["yes"] == "Se reconnecter"  # yes/no stay words, keys and values
    assert net["max_retries"] == 5
    assert tree["ui"]["forms"]["meta"]["reviewed"] == {"$__toml_private_datetime": "2024-03-01T09:30:00Z"}


@pytest.mark.parametrize("locale", ["en", "de", "fr", "pt"])
def test_example_output_matches_the_c_interface(c_load_json, locale):
    assert run("load", LOCALES, locale).stdout == c_load_json(LOCALES, locale) + b"\n"
    assert json.loads(run("load", LOCALES, locale, "--pretty").stdout) == json.loads(run("load", LOCALES, locale).stdout)


def test_toml_messages_keep_their_lines(locale_dir):
    path = locale_dir({"en.toml": 'a = 1\na = 2\n'})
    text = run("check", path).stdout.decode()
    assert text.startswith(f"{path}/en.toml: Parse Error: Failed to parse TOML: TOML parse error at line 2")
    assert "\n\n\n" not in text  # the message's own last line feed is not doubled


@pytest.mark.parametrize(
    "folder, status, most_lines, wanted",
    [
        ("json-app", 1, 150, "FAILED: 9 strings' placeholders differ from en's."),
        ("rooted-yaml", 1, 30, "  placeholder  errors.not_found: missing %{thing}; unexpected %{sache}"),
        ("list-yaml", 1, 10, "FAILED: The default locale en has no keys, so nothing can be compared: "),
    ],
)
def test_repository_layouts(folder, status, most_lines, wanted):
    result = run("check", str(EXAMPLES / "repos" / folder))
    lines = result.stdout.decode().splitlines()
    assert result.returncode == status and len(lines) <= most_lines
    assert any(line.startswith(wanted) for line in lines)


@pytest.mark.parametrize(
    "directory, counts",
    [
        # Per locale: plural gaps, placeholder mismatches, ICU syntax errors, dropped selectors (the
        # faults each directory's README names).
        ("icu-app/lang", {"sk": (5, 0, 1, 0), "ta": (3, 0, 0, 0), "ko": (1, 1, 0, 2), "hu": (1, 1, 0, 0)}),
        ("i18next-app/locales", {"pl": (3, 1, 0, 0), "ja": (2, 0, 0, 0), "ar": (2, 0, 0, 0)}),
        ("toml-messages", {"de": (1, 0, 0, 0), "ru": (1, 0, 0, 0)}),
    ],
)
def test_repository_examples_show_their_faults(directory, counts):
    result = run("check", str(EXAMPLES / "repos" / directory), "--json")
    report = json.loads(result.stdout)
    fields = ("plurals", "placeholders", "icu_syntax", "dropped_selectors")
    found = {locale["name"]: tuple(len(locale.get(field, [])) for field in fields) for locale in report["locales"]}
    assert {name: value for name, value in found.items() if any(value)} == counts
