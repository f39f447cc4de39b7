"""The loader a Python user would write instead of tarnevo, with the same semantics.

Discovery walks the directory with os.scandir, depth first in the operating system's order,
without entering linked directories; a locale is its top-level file(s) and the files below its
directory, each under the namespace of its directory names and stem. Loading reads a locale's
files in discovery order, puts each under its namespace, lets the earlier file win (a null is
filled by a later one), fills what is missing or null from the default locale, falls back to the
default locale when the locale cannot be loaded, and caches the tree, handing out deep copies.

Two sets of parsers: the usual ones, orjson (or the standard json), PyYAML's libyaml-based
CSafeLoader and the standard tomllib; and the fastest on PyPI, msgspec, yaml-rs and toml-rs. Where
a YAML or TOML parser gives another value than tarnevo for the same text and the parsed value
still tells which, it is mapped to tarnevo's, the same way for both sets: a float that is not
finite becomes None, an integer outside the range tarnevo holds becomes a float or fails the file
as in tarnevo, a TOML date or time becomes tarnevo's {"$__toml_private_datetime": text}. What the
parsed value no longer tells is kept out of the corpus instead: PyYAML's YAML 1.1 readings (yes,
012, 1_000, 1:20, dates), yaml-rs's 012, 1_000 and 1e999, typed mapping keys, fractions of a second
beyond microseconds, a TOML offset +00:00 (read as Z). JSON is not mapped, which would cost a
walk over every file: its integers from 2**63 (floats in tarnevo) and -0 stay out of the corpus
too. Keys keep the order the files gave them; the trees compare equal to tarnevo's, whose keys
are sorted, since dict equality ignores order.
"""

import datetime
import math
import os

_MISSING = object()
_EXTENSIONS = {"json": "json", "yaml": "yaml", "yml": "yaml", "toml": "toml"}


def make_parsers(flavour="orjson", map_values=True):
    """{format: function(bytes) -> tree}. flavour 'orjson' or 'json' names the JSON parser beside
    CSafeLoader and tomllib; 'fastest' is msgspec, yaml-rs and toml-rs. map_values=False leaves
    out the walk that maps YAML and TOML values to tarnevo's (a user whose files hold no such
    values would not write it); the benchmark times that form once it has checked that both
    forms give tarnevo's trees on its corpus."""
    if flavour == "fastest":
        import msgspec
        import toml_rs
        import yaml_rs

        parse_json = msgspec.json.decode
        last_wins = yaml_rs.DuplicateKeyPolicy.LastWins

        def read_yaml(data):
            # Dates stay text and the later of two equal keys wins, as in tarnevo's YAML reader.
            return yaml_rs.loads(data.decode("utf-8-sig"), parse_datetime=False,
                                 duplicate_key_policy=last_wins)

        def read_toml(text):
            return toml_rs.loads(text, parse_float=toml_float, toml_version="1.0.0")
    else:
        import tomllib

        import yaml

        if flavour == "orjson":
            import orjson

            parse_json = orjson.loads
        else:
            import json

            def parse_json(data):
                return json.loads(data.decode("utf-8"))

        def read_yaml(data):
            data.decode("utf-8")  # tarnevo refuses text that is not UTF-8 before parsing
            return yaml.load(data, Loader=yaml.CSafeLoader)

        def read_toml(text):
            return tomllib.loads(text, parse_float=toml_float)

    def parse_yaml(data):
        return map_leaves(read_yaml(data), _YAML_LEAVES)

    def parse_toml(data):
        return map_leaves(read_toml(data.decode("utf-8-sig")), _TOML_LEAVES)

    if not map_values:
        return {"json": parse_json, "yaml": read_yaml,
                "toml": lambda data: read_toml(data.decode("utf-8-sig"))}
    return {"json": parse_json, "yaml": parse_yaml, "toml": parse_toml}


def map_leaves(value, leaf_maps):
    """`value` with every leaf whose exact type is in leaf_maps replaced by its mapping, in place.
    leaf_maps also holds dict and list (mapped to None: walked into), so that a string, the
    common leaf, costs one look-up; this walk is most of what the mapping adds to a cold load."""
    kind = type(value)
    if kind is dict:
        for key, item in value.items():
            kind = type(item)
            if kind in leaf_maps:
                if kind is dict or kind is list:
                    map_leaves(item, leaf_maps)
                else:
                    value[key] = leaf_maps[kind](item)
    elif kind is list:
        for index, item in enumerate(value):
            kind = type(item)
            if kind in leaf_maps:
                if kind is dict or kind is list:
                    map_leaves(item, leaf_maps)
                else:
                    value[index] = leaf_maps[kind](item)
    elif kind in leaf_maps:
        return leaf_maps[kind](value)
    return value


def finite_or_none(value):
    return value if math.isfinite(value) else None


def yaml_int(value):
    """tarnevo holds -2**63 to 2**64 - 1 and hands 2**63 and above to Python as floats; the rest of
    the 128-bit range fails the file, and beyond it the text is read as a float."""
    if -(1 << 63) <= value < (1 << 63):
        return value
    if (1 << 63) <= value < (1 << 64) or not -(1 << 127) <= value < (1 << 128):
        return float(value)
    raise ValueError(f"YAML integer out of range: {value}")


def toml_int(value):
    if -(1 << 63) <= value < (1 << 63):
        return value
    raise ValueError(f"TOML integer out of range: {value}")


def toml_float(text):
    """parse_float hook: inf and nan are None; a float too large for a double fails the file."""
    value = float(text)
    if math.isfinite(value):
        return value
    if text.lstrip("+-") in ("inf", "nan"):
        return None
    raise ValueError(f"TOML float out of range: {text}")


def toml_time_text(value):
    text = f"{value.hour:02}:{value.minute:02}:{value.second:02}"
    if value.microsecond:
        text += f".{value.microsecond:06}".rstrip("0")
    return text


def toml_datetime(value):
    """tarnevo's form of a TOML date, time or date-time: 'T' between date and time, the fraction
    of a second without trailing zeros, 'Z' for a zero offset."""
    if type(value) is datetime.time:
        text = toml_time_text(value)
    elif type(value) is datetime.date:
        text = value.isoformat()
    else:
        text = f"{value.date().isoformat()}T{toml_time_text(value)}"
        offset = value.utcoffset()
        if offset is not None:
            minutes = offset // datetime.timedelta(minutes=1)
            sign = "-" if minutes < 0 else "+"
            hours, minutes = divmod(abs(minutes), 60)
            text += f"{sign}{hours:02}:{minutes:02}" if hours or minutes else "Z"
    return {"$__toml_private_datetime": text}


_YAML_LEAVES = {dict: None, list: None, int: yaml_int, float: finite_or_none}
_TOML_LEAVES = {dict: None, list: None, int: toml_int, datetime.datetime: toml_datetime,
                datetime.date: toml_datetime, datetime.time: toml_datetime}


def copy_tree(value):
    """A deep copy of a tree of dicts, lists and immutable leaves."""
    kind = type(value)
    if kind is dict:
        return {key: copy_tree(item) for key, item in value.items()}
    if kind is list:
        return [copy_tree(item) for item in value]
    return value


def fill_dict(target, source):
    """Adds what `target` lacks, and replaces its nulls, from `source` (consumed)."""
    for key, value in source.items():
        current = target.get(key, _MISSING)
        if current is _MISSING:
            target[key] = value
        elif type(current) is dict:
            if type(value) is dict:
                fill_dict(current, value)
        elif current is None and value is not None:
            target[key] = value


def scan_directory(dir_path):
    """{locale: [(path, namespace or None, format)]} in walk order."""
    index = {}

    def walk(path, dirs):
        try:
            with os.scandir(path) as it:
                entries = list(it)
        except OSError:
            return
        for entry in entries:
            name = entry.name
            try:
                if entry.is_dir(follow_symlinks=False):
                    walk(entry.path, dirs + [name])
                    continue
            except OSError:
                continue
            dot = name.rfind(".")
            if dot <= 0:
                continue
            fmt = _EXTENSIONS.get(name[dot + 1 :].lower())
            if fmt is None or not entry.is_file():
                continue
            stem = name[:dot]
            if dirs:
                locale, namespace = dirs[0], ".".join(dirs[1:] + [stem])
            else:
                locale, namespace = stem, None
            index.setdefault(locale, []).append((entry.path, namespace, fmt))

    walk(dir_path, [])
    return index


class ReferenceLoader:
    def __init__(self, dir_path, default_locale="en", parsers=None):
        if not os.path.isdir(dir_path):
            raise RuntimeError(f"Directory not found: {dir_path}")
        self.dir_path = dir_path
        self.default_locale = default_locale
        self.parsers = parsers or make_parsers()
        self.index = scan_directory(dir_path)
        self.cache = {}

    def languages(self):
        return sorted(self.index, key=lambda name: name.encode())

    def exists(self, locale):
        return locale in self.index

    def clear_cache(self, locale=None):
        if locale is None:
            self.cache.clear()
        else:
            self.cache.pop(locale, None)

    def load_uncached(self, locale):
        files = self.index.get(locale)
        if files is None:
            raise RuntimeError(f"Locale not found: {locale}")
        result = {}
        for path, namespace, fmt in files:
            with open(path, "rb") as f:
                value = self.parsers[fmt](f.read())
            if namespace is not None:
                for segment in reversed(namespace.split(".")):
                    value = {segment: value}
            if type(value) is dict:
                fill_dict(result, value)
        return result

    def load(self, locale):
        cached = self.cache.get(locale)
        if cached is not None:
            return copy_tree(cached)
        try:
            tree = self.load_uncached(locale)
        except Exception:
            if locale == self.default_locale:
                raise
            tree = self.load_uncached(self.default_locale)
        if locale != self.default_locale and self.exists(self.default_locale):
            try:
                fill_dict(tree, self.load_uncached(self.default_locale))
            except Exception:
                pass
        self.cache[locale] = tree
        return copy_tree(tree)
