"""tarnevo languages and tarnevo load: output bytes, fallback notes, and loader errors."""

import json

import pytest

from conftest import EXAMPLES, run

# Escapes, numbers at the edges of their representations, keys in byte order (B, a, b, z, é),
# namespaces, null leaves and missing keys filled from en, arrays kept whole.
TRICKY = {
    "en.json": json.dumps(
        {
            "b": "two", "a": "one", "B": "upper", "é": "accent", "z": {},
            "text": "tab\there \"quoted\" back\\slash /slash \u0001 \u007f nul\u0000 é",
            "numbers": [0, 18446744073709551615, -9223372036854775808, 1.0, -0.0, 0.1, 1e16, 1.5e-7, 1e21],
            "deep": {"list": [{"k": None}, [], {}], "null": None},
            "fill": {"one": "en one", "two": "en two"},
            "kept": ["en", "list"],
        }
    ),
    "fr/fill.json": '{"one": "fr un", "two": null}',
    "fr/nested/ns.json": '{"x": 1}',
    "fr.json": '{"kept": ["fr"], "a": "un", "fill": {"three": 3}}',
}


@pytest.fixture
def tricky_dir(locale_dir):
    return locale_dir(TRICKY)


def test_languages_one_name_per_line_in_byte_order(locale_dir):
    path = locale_dir({"en.json": "{}", "EN.json": "{}", "de/a/b.yml": "", "fr.JSON": "{}", "notes.txt": "", "x/readme.md": ""})
    result = run("languages", path)
    assert (result.returncode, result.stdout, result.stderr) == (0, b"EN\nde\nen\nfr\n", b"")
    assert run("languages", path, "--json").stdout == b'["EN","de","en","fr"]\n'


def test_languages_of_an_empty_directory(locale_dir):
    path = locale_dir({})
    assert run("languages", path).stdout == b""
    assert run("languages", path, "--json").stdout == b"[]\n"


@pytest.mark.parametrize("locale, default", [("en", "en"), ("fr", "en"), ("xx", "en"), ("en", "fr"), ("fr", "")])
def test_load_prints_exactly_what_the_c_interface_returns(tricky_dir, c_load_json, locale, default):
    expected = c_load_json(tricky_dir, locale, default)
    assert expected is not None
    result = run("load", tricky_dir, locale, "--default", default)
    assert result.returncode == 0
    assert result.stdout == expected + b"\n"


def test_load_output_bytes_without_the_c_library():
    # The JSON half of the broken example: en.json alone, keys in byte order, no whitespace.
    result = run("load", str(EXAMPLES / "broken"), "en")
    assert result.returncode == 0
    assert result.stderr == b""
    assert result.stdout == (
        b'{"cart":{"checkout":"Check out","empty":"Your cart is empty"},'
        b'"errors":{"offline":"You are offline."},"farewell":"See you soon",'
        b'"greeting":"Hello, {name}!","nav":{"help":"Help","home":"Home"}}\n'
    )


def test_load_fills_and_keeps_arrays_whole(tricky_dir):
    tree = json.loads(run("load", tricky_dir, "fr").stdout)
    assert tree["fill"] == {"one": "fr un", "two": "en two", "three": 3}
    assert tree["kept"] == ["fr"]
    assert tree["nested"] == {"ns": {"x": 1}}
    assert tree["a"] == "un" and tree["b"] == "two"


def test_pretty_output_layout():
    result = run("load", str(EXAMPLES / "broken"), "en", "--pretty")
    assert result.returncode == 0
    assert result.stdout.decode() == (
        "{\n"
        '  "cart": {\n'
        '    "checkout": "Check out",\n'
        '    "empty": "Your cart is empty"\n'
        "  },\n"
        '  "errors": {\n'
        '    "offline": "You are offline."\n'
        "  },\n"
        '  "farewell": "See you soon",\n'
        '  "greeting": "Hello, {name}!",\n'
        '  "nav": {\n'
        '    "help": "Help",\n'
        '    "home": "Home"\n'
        "  }\n"
        "}\n"
    )


@pytest.mark.parametrize("locale", ["en", "fr"])
def test_pretty_output_parses_as_the_compact_output(tricky_dir, locale):
    compact = run("load", tricky_dir, locale).stdout
    pretty = run("load", tricky_dir, locale, "--pretty").stdout
    assert pretty != compact
    assert json.loads(pretty) == json.loads(compact)
    # Same leaves, same key order, same escapes: only whitespace outside strings differs.
    assert list(json.loads(pretty)) == list(json.loads(compact))
    assert b'"z": {}' in pretty and b'"deep": {\n    "list": [\n      {\n        "k": null\n      },\n      [],\n      {}\n    ],' in pretty
    assert b"\\u0001" in pretty and b"\\u0000" in pretty and b"1e+16" in pretty and b"-0.0" in pretty


@pytest.mark.parametrize(
    "args, message",
    [
        (["load", "/nonexistent/tarnevo/dir", "en"], "Directory not found: /nonexistent/tarnevo/dir"),
        (["languages", "/nonexistent/tarnevo/dir"], "Directory not found: /nonexistent/tarnevo/dir"),
        (["check", "/nonexistent/tarnevo/dir"], "Directory not found: /nonexistent/tarnevo/dir"),
        (["load", "{broken}/en.json", "en"], "Directory not found: {broken}/en.json"),
        (["load", "{broken}", "xx", "--default", "yy"], "Locale not found: yy"),
        (["load", "{broken}", "yy", "--default", "yy"], "Locale not found: yy"),
        (["load", "{broken}", "es", "--default", "es"], "Parse Error: Failed to parse "),
    ],
)
def test_loader_errors_exit_1_with_the_loaders_message(args, message):
    broken = str(EXAMPLES / "broken")
    args = [arg.replace("{broken}", broken) for arg in args]
    message = message.replace("{broken}", broken)
    result = run(*args)
    assert result.returncode == 1
    assert result.stdout == b""
    assert result.stderr.decode().startswith(f"tarnevo: {message}")
    assert result.stderr.count(b"\n") == 1 or message.startswith("Parse Error")


def test_load_says_on_stderr_when_it_prints_the_default_instead(tricky_dir):
    result = run("load", tricky_dir, "xx")
    assert result.returncode == 0
    assert result.stdout == run("load", tricky_dir, "en").stdout
    assert result.stderr == f"tarnevo: note: no locale 'xx' in {tricky_dir}; printing the default locale 'en'\n".encode()

    broken = str(EXAMPLES / "broken")
    result = run("load", broken, "es")
    assert result.returncode == 0
    assert result.stdout == run("load", broken, "en").stdout
    assert result.stderr.startswith(f"tarnevo: note: locale 'es' does not load ({broken}/es/".encode())


def test_relative_directories_stay_relative():
    result = run("load", "broken", "xx", cwd=EXAMPLES)
    assert b"no locale 'xx' in broken;" in result.stderr


REGIONAL = {
    "en.yml": "en:\n  a: en\n  b: en\n  c: en\n",
    "fr.yml": "fr:\n  a: fr\n  b: fr\n",
    "fr_CA.yml": "fr_CA:\n  a: ca\n",
    "de/x.json": "{",
    "de_AT.yml": "de_AT:\n  a: at\n",
}


@pytest.mark.parametrize(
    "locale, options, stdout, stderr",
    [
        ("fr_CA", ["--fallback", "regional", "--root-key", "auto"], b'{"a":"ca","b":"fr","c":"en"}\n', b""),
        ("fr_BE", ["--fallback=regional", "--root-key=on"], b'{"a":"fr","b":"fr","c":"en"}\n', b"note: no locale 'fr_BE' in DIR; printing locale 'fr'"),
        ("fr_CA", ["--root-key", "on"], b'{"a":"ca","b":"en","c":"en"}\n', b""),
        ("fr_CA", [], b'{"en":{"a":"en","b":"en","c":"en"},"fr_CA":{"a":"ca"}}\n', b""),
        ("de_AT", ["--fallback", "regional", "--root-key", "auto"], b'{"a":"at","b":"en","c":"en"}\n', b"note: locale 'de' does not load (DIR/de/x.json: Parse Error:"),
    ],
)
def test_load_with_regional_fallback_and_root_keys(locale_dir, yaml_and_toml, locale, options, stdout, stderr):
    path = locale_dir(REGIONAL)
    result = run("load", path, locale, *options)
    assert (result.returncode, result.stdout) == (0, stdout)
    assert stderr.replace(b"DIR", path.encode()) in result.stderr


@pytest.mark.parametrize("option, value", [("--fallback", "nearest"), ("--root-key", "yes")])
def test_load_refuses_an_unknown_option_value(option, value):
    result = run("load", "DIR", "fr", option, value)
    assert result.returncode == 2
    assert f"{option} '{value}': give ".encode() in result.stderr
