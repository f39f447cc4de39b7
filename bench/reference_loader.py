"""The loader a Python user would write instead of tarnevo, with the same semantics.

Discovery walks the directory with os.scandir, depth first in the operating system's order,
without entering linked directories; a locale is its top-level file(s) and the files below its
directory, each under the namespace of its directory names and stem. Loading reads a locale's
files in discovery order, puts each under its namespace, lets the earlier file win (a null is
filled by a later one), fills what is missing or null from the default locale, falls back to the
default locale when the locale cannot be loaded, and caches the tree, handing out deep copies.

The parsers are the fastest a user would reach for: orjson (or the standard json), PyYAML's
libyaml-based CSafeLoader and the standard tomllib. Keys keep the order the files gave them; the
trees compare equal to tarnevo's, whose keys are sorted, since dict equality ignores order.
"""

import os

_MISSING = object()
_EXTENSIONS = {"json": "json", "yaml": "yaml", "yml": "yaml", "toml": "toml"}


def make_parsers(json_flavour="orjson"):
    """{format: function(bytes) -> tree}; json_flavour is 'orjson' or 'json'."""
    import tomllib

    import yaml

    if json_flavour == "orjson":
        import orjson

        parse_json = orjson.loads
    else:
        import json

        def parse_json(data):
            return json.loads(data.decode("utf-8"))

    def parse_yaml(data):
        data.decode("utf-8")  # tarnevo refuses text that is not UTF-8 before parsing
        return yaml.load(data, Loader=yaml.CSafeLoader)

    def parse_toml(data):
        return tomllib.loads(data.decode("utf-8"))

    return {"json": parse_json, "yaml": parse_yaml, "toml": parse_toml}


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
