"""The TOML reader against Python's tomllib on generated documents.

A seeded generator writes valid documents (every construct of TOML 1.0: bare, quoted and dotted
keys, headers and arrays of tables, inline tables, the four kinds of string with their escapes,
integers in four bases, floats, dates and times, comments, CRLF) and near-valid ones (a valid one
with one mutation: a duplicate key, a reopened table, a bad date, a stray character, a bad
escape). Where both readers accept a document they give the same tree (tomllib's dates and
times in the reader's normal form, nan and inf as None); where tomllib refuses one, the reader
refuses it too, with a positioned message.

TARNEVO_TOML_DIFFERENTIAL_DOCUMENTS sets how many documents of each kind (default 250, a few
seconds); TARNEVO_TOML_DIFFERENTIAL_SEED the first seed.
"""

import datetime
import math
import os
import random
import re

import pytest

tomllib = pytest.importorskip("tomllib")
from tarnevo import TarnevoLoader  # noqa: E402

DOCUMENTS = int(os.environ.get("TARNEVO_TOML_DIFFERENTIAL_DOCUMENTS", "250"))
FIRST_SEED = int(os.environ.get("TARNEVO_TOML_DIFFERENTIAL_SEED", "1"))

TEXT = ["a", "Zz", "0", "-", "_", " ", "\t", "é", "ß", "€", "日本", "😀", '"', "'", "\\", "\n",
        "\x01", "\x7f", "#", "=", ".", "[", "]", "{", "}", ",", "\ufeff"]
ESCAPES = {'"': '\\"', "\\": "\\\\", "\n": "\\n", "\t": "\\t", "\b": "\\b", "\f": "\\f",
           "\r": "\\r"}


class Writer:
    """Random TOML text for random values; every choice comes from the seeded generator."""

    def __init__(self, rng):
        self.rng = rng

    def text(self, low=0, high=6):
        return "".join(self.rng.choice(TEXT) for _ in range(self.rng.randint(low, high)))

    def basic(self, text):
        out = []
        for ch in text:
            if ch in ESCAPES and (ch in '"\\' or self.rng.random() < 0.7):
                out.append(ESCAPES[ch])
            elif ord(ch) < 0x20 or ord(ch) == 0x7F or self.rng.random() < 0.1:
                out.append(self.rng.choice(["\\u%04x", "\\U%08X"]) % ord(ch))
            else:
                out.append(ch)
        return '"' + "".join(out) + '"'

    def key(self):
        roll = self.rng.random()
        if roll < 0.6:
            alphabet = "abcxyzABZ019_-"
            return "".join(self.rng.choice(alphabet) for _ in range(self.rng.randint(1, 6)))
        name = self.text(0, 4).replace("\n", "").replace("\x01", "").replace("\x7f", "")
        if roll < 0.8 and "'" not in name:
            return f"'{name}'"
        return self.basic(name)

    def dotted(self, segments):
        blank = lambda: self.rng.choice(["", "", " ", "\t"])  # noqa: E731
        return (blank() + "." + blank()).join(segments)

    def string(self):
        text = self.text()
        roll = self.rng.random()
        clean = not any(c in text for c in "\x01\x7f\n\r")
        if roll < 0.5:
            return self.basic(text)
        if roll < 0.65 and clean and "'" not in text:
            return f"'{text}'"
        if roll < 0.85:
            # Line-ending backslashes drop the line break and the indentation after them.
            body = self.basic(text)[1:-1].replace('""', '"\\"')
            if self.rng.random() < 0.5:
                body = body + "\\  \n    " + self.basic(self.text())[1:-1].replace('""', '"\\"')
            first = self.rng.choice(["", "\n"])
            return '"""' + first + body + self.rng.choice(["", '"', '""']) + '"""'
        body = text.replace("\x01", "").replace("\x7f", "").replace("\r", "").replace("''", "'")
        return "'''" + self.rng.choice(["", "\n"]) + body.rstrip("'") + "'''"

    def integer(self):
        value = self.rng.choice([0, 1, -1, 42, 2**63 - 1, -(2**63), self.rng.randint(-10**12, 10**12)])
        roll = self.rng.random()
        if value >= 0 and roll < 0.3:
            form = self.rng.choice(["0x%x", "0x%X", "0o%o", "0b%s"])
            return form % (bin(value)[2:] if form == "0b%s" else value)
        text = str(abs(value))
        if roll < 0.5 and len(text) > 3:
            text = text[0] + "_" + text[1:]
        sign = "-" if value < 0 else self.rng.choice(["", "+"]) if value or roll < 0.6 else "-"
        return sign + text

    def float(self):
        roll = self.rng.random()
        if roll < 0.15:
            return self.rng.choice(["", "+", "-"]) + self.rng.choice(["inf", "nan"])
        number = self.rng.choice([0.0, -0.0, 0.5, 1e300, 5e-324, 2.5e-8, self.rng.uniform(-1e6, 1e6)])
        text = repr(number)
        if "e" not in text and roll < 0.4:
            text = text.replace(".", "_1." if text.lstrip("-")[0] != "0" else ".", 1)
        return "+" + text if not text.startswith("-") and roll > 0.8 else text

    def datetime(self):
        r = self.rng
        date = f"{r.randint(1, 9999):04}-{r.randint(1, 12):02}-{r.randint(1, 28):02}"
        if r.random() < 0.1:
            date = r.choice(["2024-02-29", "2000-02-29", "1999-12-31"])
        time = f"{r.randint(0, 23):02}:{r.randint(0, 59):02}:{r.randint(0, 59):02}"
        if r.random() < 0.4:
            time += "." + "".join(r.choice("0123456789") for _ in range(r.randint(1, 6)))
        offset = r.choice(["Z", "z", "+05:30", "-07:00", "+00:00", "-00:00", "+23:59"])
        return r.choice([date, time, date + r.choice("Tt ") + time,
                         date + r.choice("Tt ") + time + offset])

    def value(self, depth=0):
        roll = self.rng.random()
        if depth < 3 and roll < 0.12:
            return self.array(depth + 1)
        if depth < 3 and roll < 0.2:
            return self.inline_table(depth + 1)
        kind = self.rng.choice([self.string, self.string, self.integer, self.float, self.datetime])
        if roll > 0.95:
            return self.rng.choice(["true", "false"])
        return kind()

    def array(self, depth):
        items = [self.value(depth) for _ in range(self.rng.randint(0, 4))]
        gap = lambda: self.rng.choice(["", " ", "\n  ", " # note\n "])  # noqa: E731
        trailing = "," if items and self.rng.random() < 0.3 else ""
        return "[" + gap() + ("," + gap()).join(items) + trailing + gap() + "]"

    def inline_table(self, depth):
        pairs, used = [], set()
        for _ in range(self.rng.randint(0, 3)):
            segments = [self.key() for _ in range(self.rng.choice([1, 1, 2]))]
            if any(s in used for s in segments):
                continue
            used.update(segments)
            pairs.append(f"{self.dotted(segments)} = {self.value(depth)}")
        return "{" + self.rng.choice(["", " "]) + ", ".join(pairs) + self.rng.choice(["", " "]) + "}"

    def document(self):
        """Sections of key-values under headers: tables, sub-tables before their parents, arrays
        of tables with their own sub-tables, dotted keys extending each other's tables."""
        lines, paths = [], [[]]
        for section in range(self.rng.randint(1, 5)):
            if section:
                parent = self.rng.choice(paths)
                path = parent + [self.key() for _ in range(self.rng.choice([1, 1, 2]))]
                if len(parent) > 1 and self.rng.random() < 0.15:
                    path = parent[:-1]  # a table that a longer header created on its way
                if self.rng.random() < 0.25:
                    lines.append(f"[[{self.dotted(path)}]]")
                else:
                    lines.append(f"[ {self.dotted(path)} ]" if self.rng.random() < 0.2 else f"[{self.dotted(path)}]")
                paths.append(path)
            prefixes = []
            for _ in range(self.rng.randint(0, 5)):
                segments = [self.key() for _ in range(self.rng.choice([1, 1, 1, 2, 3]))]
                if prefixes and self.rng.random() < 0.3:
                    segments = self.rng.choice(prefixes) + segments
                prefixes += [segments[:i] for i in range(1, len(segments))]
                comment = self.rng.choice(["", "", " # c", "\t#\t" + self.text(0, 3).replace("\n", "")])
                if self.rng.random() < 0.9:
                    comment = comment.replace("\x01", "").replace("\x7f", "")
                lines.append(f"{self.dotted(segments)} = {self.value()}{comment}")
        end = "\r\n" if self.rng.random() < 0.2 else "\n"
        return end.join(lines) + self.rng.choice(["", end])


def mutate(rng, text):
    """One mutation of a valid document, most of them making it invalid."""
    lines = text.split("\n")
    kind = rng.choice(["duplicate", "reopen", "date", "stray", "escape"])
    if kind == "duplicate":
        at = rng.randrange(len(lines))
        lines.insert(rng.randint(at, len(lines)), lines[at])
    elif kind == "reopen":
        headers = [line for line in lines if line.startswith("[")] or ["[t]"]
        lines += [rng.choice(headers), "x = 1"]
    elif kind == "date":
        bad = rng.choice(["2023-02-29", "2024-13-01", "2024-04-31", "2024-00-10", "24:00:00",
                          "12:60:00", "12:00:60", "2024-01-01T10:00:00+24:00", "1999-1-1",
                          "2024-01-01T", "10:00", "2024-01-01T10:00:00.Z"])
        lines.append(f"d = {bad}")
    elif kind == "stray":
        at = rng.randint(0, len(text))
        return text[:at] + rng.choice(["\ufeff", "é", "\x00", "\x7f", "\r", "=", "]", "[", "{", '"',
                                       "'", "#", ",", ".", "\\", "x", " 1"]) + text[at:]
    else:
        lines.append('s = "' + rng.choice(["\\x41", "\\e", "\\u12", "\\uD800", "\\U00110000", "\\ ",
                                            "\\", "\\'"]) + '"')
    return "\n".join(lines)


def expected_form(value):
    """tomllib's value as the reader's tree holds it."""
    if isinstance(value, dict):
        return {key: expected_form(item) for key, item in value.items()}
    if isinstance(value, list):
        return [expected_form(item) for item in value]
    if isinstance(value, float) and not math.isfinite(value):
        return None
    if isinstance(value, (datetime.date, datetime.time)):
        return {"$__toml_private_datetime": normal_form(value)}
    return value


def normal_form(value):
    text = ""
    if isinstance(value, datetime.date):
        text = f"{value.year:04}-{value.month:02}-{value.day:02}"
    if isinstance(value, (datetime.datetime, datetime.time)):
        text += ("T" if text else "") + f"{value.hour:02}:{value.minute:02}:{value.second:02}"
        if value.microsecond:
            text += "." + f"{value.microsecond:06}".rstrip("0")
        offset = value.utcoffset()
        if offset is not None:
            # tomllib cannot tell Z from +00:00; the reader keeps what the file wrote.
            minutes = int(offset.total_seconds()) // 60
            sign = "-" if minutes < 0 else "+"
            text += "Z" if minutes == 0 else f"{sign}{abs(minutes) // 60:02}:{abs(minutes) % 60:02}"
    return text


def same(ours, theirs):
    """Equal trees, and equal kinds of leaf: 1 is not 1.0, -0.0 is not 0.0."""
    if isinstance(ours, str) and ours.endswith("+00:00"):
        ours = ours[:-6] + "Z"  # written with digits; tomllib cannot tell (see normal_form)
    if type(ours) is not type(theirs):
        return False
    if isinstance(ours, dict):
        return ours.keys() == theirs.keys() and all(same(ours[k], theirs[k]) for k in ours)
    if isinstance(ours, list):
        return len(ours) == len(theirs) and all(map(same, ours, theirs))
    if isinstance(ours, float):
        return ours == theirs and math.copysign(1, ours) == math.copysign(1, theirs)
    return ours == theirs


POSITIONED = re.compile(r"Parse Error: Failed to parse TOML: TOML parse error at line (\d+), column (\d+)\n"
                        r"( +)\|\n(\d+) \| (.*)\n( +)\|( *)(\^+)\n([^\n]+)\n\Z", re.S)


def check_positioned(text, message):
    match = POSITIONED.match(message)
    assert match, message
    line, column = int(match[1]), int(match[2])
    lines = [line.removesuffix("\r") for line in text.removeprefix("\ufeff").split("\n")]
    assert match[4] == match[1] and len(match[3]) == len(match[6]) == len(match[1]) + 1, message
    assert match[5] == lines[line - 1] and len(match[7]) == column, message
    assert column <= len(lines[line - 1]) + 1, message
    assert len(match[8]) == 1 or column + len(match[8]) - 1 <= len(lines[line - 1]), message


def read_with_tarnevo(directory, text):
    with open(os.path.join(directory, "en.toml"), "w", encoding="utf-8", newline="") as f:
        f.write(text)
    try:
        return True, TarnevoLoader(directory).load("en")
    except RuntimeError as error:
        return False, str(error)


def compare(directory, text):
    try:
        # A byte-order mark at the start is skipped (tomllib would refuse it).
        theirs = expected_form(tomllib.loads(text.removeprefix("\ufeff")))
    except tomllib.TOMLDecodeError:
        theirs = None
    ok, ours = read_with_tarnevo(directory, text)
    if theirs is None:
        assert not ok, f"tomllib refuses, tarnevo reads {ours!r} from:\n{text}"
        check_positioned(text, ours)
    else:
        assert ok, f"tomllib reads, tarnevo fails:\n{ours}\nfor:\n{text}"
        assert same(ours, theirs), f"trees differ for:\n{text}\n{ours!r}\n{theirs!r}"


@pytest.mark.parametrize("kind", ["valid", "mutated"])
def test_same_tree_or_both_refuse(tmp_path, kind):
    for seed in range(FIRST_SEED, FIRST_SEED + DOCUMENTS):
        rng = random.Random(f"{kind}-{seed}")
        text = Writer(rng).document()
        if kind == "mutated":
            text = mutate(rng, text)
        compare(str(tmp_path), text)
