"""Help, version, and the command-line mistakes that end with exit status 2."""

import pytest

from conftest import EXAMPLES, run

BROKEN = str(EXAMPLES / "broken")


@pytest.mark.parametrize(
    "args, first_line",
    [
        (["--help"], b"tarnevo: loads an application's translations"),
        (["-h"], b"tarnevo: loads an application's translations"),
        (["help"], b"tarnevo: loads an application's translations"),
        (["help", "load"], b"Usage: tarnevo load DIR LOCALE [--default LOC] [--pretty]"),
        (["load", "--help"], b"Usage: tarnevo load DIR LOCALE [--default LOC] [--pretty]"),
        # --help wins over every other mistake on the line.
        (["check", "--nonsense", "-h"], b"Usage: tarnevo check [DIR...] [--default LOC] [--format F] [--strict]"),
        (["languages", "a", "b", "--help"], b"Usage: tarnevo languages DIR [--json]"),
    ],
)
def test_help_goes_to_stdout_with_status_0(args, first_line):
    result = run(*args)
    assert result.returncode == 0
    assert result.stderr == b""
    assert result.stdout.splitlines()[0].startswith(first_line)


def test_overview_names_every_command_and_option():
    text = run("--help").stdout.decode()
    for word in ("languages", "load", "check", "--default", "--pretty", "--json", "--strict", "--locale", "--ignore", "Exit status"):
        assert word in text


def test_version():
    result = run("--version")
    assert result.returncode == 0
    assert result.stdout.startswith(b"tarnevo ") and result.stdout.endswith(b"\n")


@pytest.mark.parametrize(
    "args, message, usage",
    [
        ([], "no command given", "Usage: tarnevo languages"),
        (["frobnicate"], "unknown command 'frobnicate'", "Usage: tarnevo languages"),
        (["--frobnicate"], "unknown option '--frobnicate'", "Usage: tarnevo languages"),
        (["help", "frobnicate"], "unknown command 'frobnicate'", "Usage: tarnevo languages"),
        (["load"], "missing DIR", "Usage: tarnevo load"),
        (["load", BROKEN], "missing LOCALE", "Usage: tarnevo load"),
        (["load", BROKEN, "en", "fr"], "unexpected operand 'fr'", "Usage: tarnevo load"),
        (["check"], "missing DIR", "Usage: tarnevo check"),
        (["languages", BROKEN, BROKEN], f"unexpected operand '{BROKEN}'", "Usage: tarnevo languages"),
        (["load", BROKEN, "en", "--json"], "unknown option '--json' for 'load'", "Usage: tarnevo load"),
        (["check", BROKEN, "--pretty"], "unknown option '--pretty' for 'check'", "Usage: tarnevo check"),
        (["languages", BROKEN, "--default", "en"], "unknown option '--default' for 'languages'", "Usage: tarnevo languages"),
        (["load", BROKEN, "en", "--default"], "option '--default' needs a locale name", "Usage: tarnevo load"),
        (["check", BROKEN, "--strict=yes"], "option '--strict' takes no value", "Usage: tarnevo check"),
        (["check", BROKEN, "--locale"], "option '--locale' needs a locale name", "Usage: tarnevo check"),
        (["check", BROKEN, "--ignore"], "option '--ignore' needs a key pattern", "Usage: tarnevo check"),
        (["load", BROKEN, "en", "--locale", "fr"], "unknown option '--locale' for 'load'", "Usage: tarnevo load"),
        (["--version", "x"], "--version takes no arguments", "Usage: tarnevo languages"),
    ],
)
def test_usage_errors_exit_2_with_the_reason_and_usage(args, message, usage):
    result = run(*args)
    assert result.returncode == 2
    assert result.stdout == b""
    lines = result.stderr.decode().splitlines()
    assert lines[0] == f"tarnevo: {message}"
    assert lines[1].startswith(usage)
    assert lines[-1].startswith("Run 'tarnevo ")


@pytest.mark.parametrize(
    "args",
    [
        [b"load", BROKEN.encode(), b"\xffen"],
        [b"load", BROKEN.encode(), b"en", b"--default", b"\xff"],
        [b"check", BROKEN.encode(), b"--default=\xc3"],
        [b"check", BROKEN.encode(), b"--locale", b"\xc3"],
    ],
)
def test_locale_names_that_are_not_utf8_are_refused(args):
    result = run(*args)
    assert result.returncode == 2
    assert b"is not UTF-8" in result.stderr.splitlines()[0]


@pytest.mark.parametrize(
    "args",
    [
        ["load", "--pretty", BROKEN, "en"],
        ["load", BROKEN, "--default=en", "en", "--pretty"],
        ["load", "--default", "en", BROKEN, "en", "--pretty"],
    ],
)
def test_options_may_come_anywhere_after_the_command(args):
    result = run(*args)
    assert result.returncode == 0
    assert result.stdout == run("load", BROKEN, "en", "--pretty").stdout


def test_double_dash_ends_the_options(locale_dir):
    path = locale_dir({"--json.json": '{"a": 1}', "en.json": '{"b": 2}'})
    assert run("load", path, "--", "--json").stdout == b'{"a":1,"b":2}\n'
