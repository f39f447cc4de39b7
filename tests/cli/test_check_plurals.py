"""tarnevo check on plural conventions: nested groups, i18next suffix keys, ICU MessageFormat
plural and selectordinal arguments; ICU syntax, dropped selector arguments, and placeholder
syntaxes compared only where the default's string uses them."""

import json

import pytest

from conftest import run, unplaced_report, unplaced_text


def check(files, *args):
    result = run("check", *args, "--json")
    return result.returncode, unplaced_report(json.loads(result.stdout))


def entry(report, name):
    return next(locale for locale in report["locales"] if locale["name"] == name)


def gap(key, kind, missing=(), unexpected=()):
    return {"key": key, "kind": kind, "missing": list(missing), "unexpected": list(unexpected)}


def test_a_lone_other_is_a_message_and_two_categories_a_group(locale_dir):
    # One table per message, as TOML message catalogues write them.
    en = '[welcome]\nother = "Welcome"\n[unread]\none = "{{.Count}} message"\nother = "{{.Count}} messages"\n'
    de = '[welcome]\nother = "Willkommen"\n[unread]\nother = "{{.Count}} Nachrichten"\n'
    ru = '[welcome]\nother = "Привет"\n[unread]\none = "a"\nfew = "b"\nmany = "c"\nother = "d"\n'
    path = locale_dir({"en.toml": en, "de.toml": de, "ru.toml": ru})
    _, report = check(None, path)
    assert [entry(report, name)["plurals"] for name in ("en", "de", "ru")] == [[], [gap("unread", "nested", ["one"])], []]


EN_SUFFIX = {
    "photo_one": "{{count}} photo", "photo_other": "{{count}} photos",
    "place_ordinal_one": "{{count}}st", "place_ordinal_two": "{{count}}nd",
    "place_ordinal_few": "{{count}}rd", "place_ordinal_other": "{{count}}th",
}
# Two categories but no "other": plain keys.
STEPS = {"step_one": "Sign up", "step_two": "Verify"}


@pytest.mark.parametrize(
    "locale, strings, plurals, missing, extra",
    [
        # Polish needs few and many; its ordinals have only other. "few" is no extra key.
        ("pl", {"photo_one": "a", "photo_few": "b", "photo_other": "c", "place_ordinal_other": "d"},
         [gap("photo", "suffix", ["many"])], [], []),
        ("pl", {"photo_one": "a", "photo_other": "c", "place_ordinal_other": "d"},
         [gap("photo", "suffix", ["few", "many"])], [], []),
        # Japanese has no "one": giving it is unexpected, lacking it is not missing.
        ("ja", {"photo_one": "a", "photo_other": "b", "place_ordinal_other": "c"},
         [gap("photo", "suffix", [], ["one"])], [], []),
        ("ja", {"photo_other": "b", "photo_zero": "none"}, [gap("place_ordinal", "suffix", ["other"])], ["place_ordinal_other"], []),
        ("ar", {"photo_one": "a", "photo_other": "b", "photo_ordinal_one": "x", "place_ordinal_other": "c"},
         [gap("photo", "suffix", ["zero", "two", "few", "many"])], [], ["photo_ordinal_one"]),
        # English ordinals: one, two, few, other; step_* are plain keys.
        ("en-GB", {"photo_one": "a", "photo_other": "b", "place_ordinal_one": "1", "place_ordinal_other": "n"},
         [gap("place_ordinal", "suffix", ["two", "few"])], ["place_ordinal_few", "place_ordinal_two"], []),
    ],
)
def test_suffix_groups_take_the_locales_categories(locale_dir, locale, strings, plurals, missing, extra):
    path = locale_dir({"en.json": json.dumps({**EN_SUFFIX, **STEPS}), f"{locale}.json": json.dumps({**STEPS, **strings})})
    _, report = check(None, path)
    found = entry(report, locale)
    assert (found["plurals"], found["missing"], found["extra"]) == (plurals, missing, extra)
    assert entry(report, "en")["plurals"] == []


PHOTOS = "{count, plural, =0 {No photos} one {# photo} other {# photos}}"
PLACE = "{place, selectordinal, one {#st} two {#nd} few {#rd} other {#th}}"
NESTED = "{a, plural, one {{b, plural, one {x} other {y}}} other {{b, plural, one {x} other {y}}}}"


# (locale, default string, locale string, plurals, icu syntax reason, placeholders)
ICU_CASES = {
    "complete": ("sk", PHOTOS, "{count, plural, one {# fotka} few {# fotky} many {# fotky} other {# fotiek}}", [], None, []),
    "exact_values_are_no_categories": ("sk", PHOTOS, "{count, plural, =0 {nič} =1 {jedna} other {#}}", ["one", "few", "many"], None, []),
    "translated_other": ("ta", PHOTOS, "{count, plural, one {#} மற்றவை {#}}", (["other"], ["மற்றவை"]), None, []),
    "nested": ("sk", NESTED, NESTED, ["few", "many"], None, []),
    "ordinal": ("en-GB", PLACE, "{place, selectordinal, one {#st} other {#th}}", ["two", "few"], None, []),
    "ordinal_other_only": ("sk", PLACE, "{place, selectordinal, other {#.}}", [], None, []),
    "not_closed": ("sk", PHOTOS, "{count, plural, one {#} other {#}", [], "an argument's '{' is never closed at character 1", []),
    "stray_brace": ("de", "Hi {n, number}", "Hallo {n, number}}", [], "a '}' closes nothing at character 18", []),
    # "{name}" alone is no sign of MessageFormat: a brace app's "{{name}}" is a placeholder fault.
    "braces_only": ("de", "Hi {name}", "Hallo {{name}}", [], None, [{"key": "k", "missing": ["{name}"], "unexpected": ["{{name}}"]}]),
    "no_selector": ("de", PHOTOS, "{count, plural, one {#} {#}}", [], "a message has no selector before its '{' at character 25", []),
    # A quoted brace is text, '' an apostrophe: '{name}' is no placeholder.
    "quoted_brace": ("nl", "It''s {n, plural, one {#} other {#}} for {name}", "Het is '{name}' {n, plural, one {#} other {#}}", [], None,
                     [{"key": "k", "missing": ["{name}"], "unexpected": []}]),
    "apostrophe_in_text": ("nl", "{n, plural, one {# day} other {# days}}", "{n, plural, one {# dag z'n} other {# dagen z'n}}", [], None, []),
    # Without a plural, select or quote, braces are placeholders of any app: no quoting.
    "plain_app": ("nl", "Add {item}", "Voeg '{item}' toe", [], None, []),
}


@pytest.mark.parametrize("locale, source, text, plurals, reason, placeholders", ICU_CASES.values(), ids=ICU_CASES.keys())
def test_icu_plural_arguments_and_syntax(locale_dir, locale, source, text, plurals, reason, placeholders):
    path = locale_dir({"en.json": json.dumps({"k": source}), f"{locale}.json": json.dumps({"k": text})})
    status, report = check(None, path)
    found = entry(report, locale)
    missing, unexpected = plurals if isinstance(plurals, tuple) else (plurals, [])
    assert found["plurals"] == ([gap("k", "icu", missing, unexpected)] if missing or unexpected else [])
    assert found["icu_syntax"] == ([{"key": "k", "reason": reason}] if reason else [])
    assert found["placeholders"] == placeholders
    assert status == (1 if reason or placeholders else 0)


def test_the_default_is_judged_alone_in_every_style(locale_dir):
    en = {"a": {"one": "1", "few": "3", "other": "n"}, "b_one": "1", "b_other": "n", "b_many": "m",
          "c": "{n, plural, one {#} other {#} many {#}}", "d": "{n, selectordinal, one {#st} other {#th}}"}
    _, report = check(None, locale_dir({"en.json": json.dumps(en)}))
    assert sorted(entry(report, "en")["plurals"], key=lambda item: item["key"]) == [
        gap("a", "nested", [], ["few"]), gap("b", "suffix", [], ["many"]), gap("c", "icu", [], ["many"]),
        gap("d", "icu", ["two", "few"]),
    ]


@pytest.mark.parametrize(
    "source, text, dropped, placeholders",
    [
        # counter only chooses the form: Korean needs no choice and drops it.
        ("{counter, plural, one {{counterText} Following} other {{counterText} Following}}", "{counterText} 팔로잉", ["{counter}"], []),
        ("{g, select, female {She} other {They}} liked {post}", "{post} 좋아요", ["{g}"], []),
        # "#" shows the count: dropping it loses the number.
        ("{count, plural, one {# photo} other {# photos}}", "사진", [], [{"key": "k", "missing": ["{count}"], "unexpected": []}]),
        ("{count, plural, one {{counterText}} other {{counterText}}}", "{countr}",
         ["{count}"], [{"key": "k", "missing": ["{counterText}"], "unexpected": ["{countr}"]}]),
    ],
)
def test_arguments_that_only_choose_a_form_may_be_dropped(locale_dir, source, text, dropped, placeholders):
    path = locale_dir({"en.json": json.dumps({"k": source}), "ko.json": json.dumps({"k": text})})
    status, report = check(None, path)
    found = entry(report, "ko")
    assert found["dropped_selectors"] == ([{"key": "k", "arguments": dropped}] if dropped else [])
    assert found["placeholders"] == placeholders
    assert status == (1 if placeholders else 0)


@pytest.mark.parametrize(
    "source, text, placeholders",
    [
        ("{{percent}}% done", "{{percent}}%-ot elérte", []),
        ("{percent}% done", "{percent}%-ot", []),
        ("%d%% done, %s left", "%d%%-ot, %-o", [{"key": "k", "missing": ["%s"], "unexpected": ["%-o"]}]),
        # Braces are no prose: they count wherever they stand.
        ("Hello {name}", "Szia {{name}}", [{"key": "k", "missing": ["{name}"], "unexpected": ["{{name}}"]}]),
        ("Saved", "Mentve {x}", [{"key": "k", "missing": [], "unexpected": ["{x}"]}]),
    ],
)
def test_printf_counts_where_the_default_uses_it(locale_dir, source, text, placeholders):
    path = locale_dir({"en.json": json.dumps({"k": source}), "hu.json": json.dumps({"k": text})})
    assert entry(check(None, path)[1], "hu")["placeholders"] == placeholders


def test_text_report_lines(locale_dir):
    path = locale_dir({"en.json": json.dumps({"k": PHOTOS, "g": "{c, select, a {x} other {y}} {n}"}),
                       "ta.json": json.dumps({"k": "{count, plural, one {#} மற்றவை {#}}", "g": "{n}"})})
    text = unplaced_text(run("check", path).stdout.decode())
    assert "  plural       k: missing other; unexpected மற்றவை (ICU plural)\n" in text
    assert "  selector     g: leaves out {c}, which en uses only to choose a form\n" in text
