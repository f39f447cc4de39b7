"""`tarnevo check` with its settings file: where it is found, what it sets, and that the
command line wins."""

import json
import os

import pytest

from conftest import run, write_tree

EN = '{"greeting": "Hello {name}", "farewell": "Bye"}'
FR = '{"greeting": "Salut {name}", "bonus": "x"}'  # lacks farewell (fails only under strict)


@pytest.fixture
def project(tmp_path):
    write_tree(tmp_path, {"app/locales/en.json": EN, "app/locales/fr.json": FR, "app/src/.keep": ""})
    return tmp_path


def check(cwd, *args):
    result = run("check", *args, "--format", "json", cwd=cwd)
    return result.returncode, json.loads(result.stdout) if result.stdout else None, result.stderr.decode()


@pytest.mark.parametrize(
    "file, text, cwd",
    [
        ("tarnevo.toml", 'directories = ["app/locales"]\nstrict = true\n', "."),
        ("pyproject.toml", '[project]\nname = "x"\n[tool.tarnevo]\ndirectories = ["app/locales"]\nstrict = true\n', "."),
        ("tarnevo.toml", 'directories = ["app/locales"]\nstrict = true\n', "app/src"),  # found in a parent
        ("app/tarnevo.toml", 'directories = ["locales"]\nstrict = true\n', "app"),  # relative to the file
    ],
)
def test_settings_are_found_and_applied(project, file, text, cwd):
    write_tree(project, {file: text})
    status, report, _ = check(project / cwd)
    assert (status, report["strict"]) == (1, True)
    assert os.path.samefile(project / cwd / report["directory"], project / "app/locales")
    # --no-config ignores the file (and then DIR is needed).
    assert check(project / cwd, str(project / "app/locales"), "--no-config")[0] == 0
    assert run("check", "--no-config", cwd=project / cwd).returncode == 2


def test_config_names_a_file_and_options_win(project):
    write_tree(project, {"elsewhere.toml": 'directories = ["app/locales"]\nstrict = true\nformat = "github"\n\n[severity]\nmissing = "warning"\nextra = "off"\n'})
    result = run("check", "--config", str(project / "elsewhere.toml"), cwd=project)
    # missing is only a warning even under strict, extra is off.
    assert result.returncode == 0 and result.stdout.startswith(b"::warning file=") and b"extra" not in result.stdout
    # An option names what the file turns off: the option wins.
    status, report, _ = check(project, "--config", "elsewhere.toml", "--only", "missing,extra")
    assert (status, [f["kind"] for f in report["findings"]]) == (0, ["missing", "extra"])
    _, report, _ = check(project, "--config", "elsewhere.toml", "--no-config", "app/locales", "--only", "missing")
    assert report["strict"] is False


@pytest.mark.parametrize(
    "text, message",
    [
        ('directories = ["app/locales"]\n\nstrictt = true\n', ':3:1: unknown key "strictt"'),
        ('directories = ["app/locales"]\nstrict = "yes"\n', ':2:1: "strict" must be true or false'),
        ('directories = "app/locales"\n', ':1:1: "directories" must be a list of strings'),
        ('[severity]\nmising = "off"\n', ':2:1: "severity" names an unknown finding kind "mising"'),
    ],
)
def test_a_bad_file_exits_2_naming_file_line_and_key(project, text, message):
    write_tree(project, {"tarnevo.toml": text})
    result = run("check", "app/locales", cwd=project)
    assert result.returncode == 2 and result.stdout == b""
    assert result.stderr.decode().startswith(f"tarnevo: {project / 'tarnevo.toml'}{message}")


def test_without_dir_or_settings_says_what_to_do(tmp_path):
    result = run("check", cwd=tmp_path)
    assert result.returncode == 2
    assert "directories = [\"locales\"] in tarnevo.toml" in result.stderr.decode()
