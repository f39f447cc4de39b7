"""Where `tarnevo check` places its findings (file, line, column) and the formats that carry
them to editors, GitHub annotations and code scanning (SARIF)."""

import json
import pathlib
import re

import jsonschema
import pytest

from conftest import EXAMPLES, run

SCHEMA = json.loads((pathlib.Path(__file__).parent / "sarif" / "sarif-schema-2.1.0.json").read_text())

# One directory per reader: fr renames a placeholder, leaves a string blank, lacks the "many"
# form French uses, holds a number as a string, adds a key and lacks one (placed in en).
LAYOUTS = {
    "json": {
        "en.json": '{\n  "greeting": "Hello {name}",\n  "farewell": "Bye",\n  "photos": {"one": "# photo", "other": "# photos"},\n  "count": 3,\n  "nav": {\n    "gone": "Gone"\n  }\n}\n',
        "fr.json": '{\n  "greeting": "Salut {nom}",\n  "farewell": " ",\n  "photos": {"one": "# photo", "other": "# photos"},\n  "count": "3",\n  "nav": {},\n  "added": "x"\n}\n',
    },
    "yaml": {
        "en.yaml": 'greeting: "Hello {name}"\nfarewell: Bye\nphotos:\n  one: "# photo"\n  other: "# photos"\ncount: 3\nnav:\n  gone: Gone\n',
        "fr.yml": 'greeting: "Salut {nom}"\nfarewell: " "\nphotos:\n  one: "# photo"\n  other: "# photos"\ncount: "3"\n    \nadded: x\n',
    },
    "toml": {
        "en.toml": 'greeting = "Hello {name}"\nfarewell = "Bye"\ncount = 3\n\n[photos]\none = "# photo"\nother = "# photos"\n\n[nav]\ngone = "Gone"\n',
        "fr.toml": 'greeting = "Salut {nom}"\nfarewell = " "\ncount = "3"\n  added = "x"\n\n[photos]\none = "# photo"\nother = "# photos"\n',
    },
}
EXPECTED = {("placeholder", "greeting", "fr"), ("blank", "farewell", "fr"), ("plural", "photos", "fr"),
            ("shape", "count", "fr"), ("extra", "added", "fr"), ("missing", "nav.gone", "en")}


def findings(*args):
    result = run("check", *args, "--json")
    return json.loads(result.stdout)["findings"]


def written_at(finding):
    """The text of the finding's file from its line and column (counted in characters)."""
    lines = pathlib.Path(finding["file"]).read_text(encoding="utf-8").splitlines()
    return lines[finding["line"] - 1][finding["column"] - 1:]


def assert_points_at_key(finding):
    assert finding["line"] and finding["column"], finding
    if finding["kind"] in ("failure", "not-object", "root-key"):
        return
    last = re.findall(r'"(?:[^"\\]|\\.)*"|[^.]+', finding["key"])[-1]
    last = json.loads(last) if last.startswith('"') else last
    assert written_at(finding).lstrip("\"'[").startswith(last), (finding, written_at(finding))


@pytest.mark.parametrize("layout", LAYOUTS)
def test_each_kind_points_at_its_key_in_each_reader(locale_dir, layout):
    path = locale_dir(LAYOUTS[layout])
    found = findings(path, "--strict")
    placed = {(f["kind"], f["key"], pathlib.Path(f["file"]).stem) for f in found}
    assert placed == EXPECTED
    for finding in found:
        assert_points_at_key(finding)
    # The text report ends each listed finding with the same place.
    text = run("check", path, "--strict").stdout.decode()
    for finding in found:
        suffix = f"{finding['file']}:{finding['line']}:{finding['column']}"
        assert any(line.startswith(f"  {finding['kind']}") and line.endswith(suffix) for line in text.splitlines())


@pytest.mark.parametrize("directory", ["findings", "locales", "broken", "repos/json-app", "repos/rooted-yaml", "repos/list-yaml",
                                       "repos/toml-messages", "repos/i18next-app/locales", "repos/icu-app/lang"])
def test_every_example_finding_points_at_its_key(directory):
    found = findings(str(EXAMPLES / directory))
    assert found
    for finding in found:
        if finding["kind"] == "failure" and finding["line"] is None:
            continue  # an IO error has no place in its file
        assert_points_at_key(finding)


def test_json_lists_missing_and_extra_keys_with_their_places(locale_dir):
    path = locale_dir(LAYOUTS["json"])
    fr = next(locale for locale in json.loads(run("check", path, "--json").stdout)["locales"] if locale["name"] == "fr")
    assert fr["missing"] == [{"key": "nav.gone", "file": f"{path}/en.json", "line": 7, "column": 5}]
    assert fr["extra"] == [{"key": "added", "file": f"{path}/fr.json", "line": 7, "column": 3}]


def test_github_commands_escape_and_put_failures_first(locale_dir):
    path = locale_dir({"en.json": '{"x": "X {n}"}', "fr.json": '{"x": "X"}',
                       "fr/we%ird:,name.json": '{"y": "Y"}', "de.toml": "x = 'X {n}'\nx = 1\n"})
    result = run("check", path, "--format", "github")
    lines = result.stdout.decode().splitlines()
    assert result.returncode == 1
    commands = [line for line in lines if line.startswith("::")]
    assert [line.split(" ", 1)[0] for line in commands] == ["::error", "::error", "::warning", "::warning"]
    # A TOML message runs over several lines: one command all the same.
    assert commands[0].startswith(f"::error file={path}/de.toml,line=2,col=1,title=tarnevo failure::de failure {path}/de.toml: ")
    assert "%0A" in commands[0]
    assert commands[1] == f"::error file={path}/fr.json,line=1,col=2,title=tarnevo placeholder::fr placeholder x: missing {{n}}"
    assert commands[3] == (f"::warning file={path}/fr/we%25ird%3A%2Cname.json,line=1,col=2,title=tarnevo extra"
                           f"::fr extra we%25ird:,name.y")
    assert lines[-1].startswith("FAILED")


def validated_sarif(*args):
    result = run("check", *args, "--format", "sarif")
    log = json.loads(result.stdout)
    jsonschema.Draft4Validator(SCHEMA).validate(log)
    return result.returncode, log


def test_sarif_validates_and_places_each_result():
    status, log = validated_sarif(str(EXAMPLES / "findings"), str(EXAMPLES / "broken"), "--strict")
    assert status == 1
    (run_,) = log["runs"]
    driver = run_["tool"]["driver"]
    assert driver["name"] == "tarnevo" and [rule["id"] for rule in driver["rules"]][:2] == ["failure", "placeholder"]
    by_rule = {(r["ruleId"], r["message"]["text"].split(" ")[0]): r for r in run_["results"]}
    placeholder = by_rule[("placeholder", "pl")]
    assert placeholder["level"] == "error"
    assert placeholder["locations"][0]["physicalLocation"]["region"] == {"startLine": 2, "startColumn": 3}
    assert by_rule[("extra", "es")]["level"] == "warning"
    # URIs are relative to the working directory.
    result = run("check", "findings", "--only", "placeholder", "--format", "sarif", cwd=EXAMPLES)
    (only,) = json.loads(result.stdout)["runs"][0]["results"]
    assert only["locations"][0]["physicalLocation"] == {
        "artifactLocation": {"uri": "findings/pl.json"}, "region": {"startLine": 2, "startColumn": 3}}


def test_sarif_says_what_cannot_be_checked(locale_dir):
    _, log = validated_sarif(locale_dir({"de.json": "{}"}))
    (notification,) = log["runs"][0]["invocations"][0]["toolExecutionNotifications"]
    assert notification["level"] == "error" and "Locale not found: en" in notification["message"]["text"]


@pytest.mark.parametrize("second, status", [("locales", 0), ("findings", 1), ("no-such-dir", 1)])
def test_several_directories_give_the_worst_status(second, status):
    result = run("check", str(EXAMPLES / "locales"), str(EXAMPLES / second), "--json")
    assert result.returncode == status
    reports = json.loads(result.stdout)
    assert [report["directory"] for report in reports] == [str(EXAMPLES / d) for d in ("locales", second) if d != "no-such-dir"]
