#!/usr/bin/env python3
"""Writes deterministic locale directories for the benchmarks.

    gen_corpus.py [--out bench/corpus] [--large] [--seed N]

For each size (2k and 20k leaves per locale, 100k with --large) and each format (json, yaml,
toml, mixed) it writes one locale directory: a default locale `en` and four more, each split into
namespace files two to five levels deep, plus one file at the top of the directory per locale.
Values are what locale files hold: strings with placeholders, plural sub-objects, accents, CJK
and emoji, a few numbers, booleans, nulls and arrays. The non-default locales lack about a tenth
of the keys and hold some null leaves (not in TOML, which has no null).

Every value means the same to tarnevo's readers and to the Python peers (PyYAML reads YAML 1.1,
yaml-rs YAML 1.2, tomllib and toml-rs TOML 1.0): no yes/no/on/off, no octal-looking, underscored
or exponent-only numbers, no datetimes.
A directory is written again only when its stamp (seed, size, this file's digest) changes.
It also writes `discovery/`, a tree of a few thousand small files for timing discovery.
"""

import argparse
import hashlib
import json
import os
import random
import shutil
import sys

import yaml

# Any change to this file makes a new corpus.
with open(__file__, "rb") as _self:
    GENERATOR_DIGEST = hashlib.sha256(_self.read()).hexdigest()[:16]
LOCALES = ["en", "fr", "de", "ja", "pt-BR"]
DEFAULT_LOCALE = "en"
SIZES = {"2k": 2_000, "20k": 20_000}
LARGE_SIZES = {"100k": 100_000}
FORMATS = ["json", "yaml", "toml", "mixed"]
LEAVES_PER_FILE = 100
DISCOVERY_FILES = 3_000

KEY_WORDS = (
    "account action address alert amount app archive avatar back balance banner billing body "
    "button cancel caption card cart category change channel chart checkout city close code "
    "comment confirm contact content continue country coupon create currency dashboard date "
    "delete description detail dialog discount document download draft edit editor email empty "
    "error event export field file filter footer form header help history home image import "
    "inbox invoice item label language level link list loading login logout menu message mode "
    "name network notice notification order owner page panel password payment phone picker plan "
    "preview price privacy profile project publish quantity reason receipt refund region remove "
    "report request reset result review role save search section security select session "
    "settings share shipping sidebar sign size status step submit subtitle summary support tab "
    "table tag team terms theme title toast token tooltip total upload user value version view "
    "warning welcome widget window workspace zone"
).split()

WORDS = {
    "en": "the your account has been saved please try again later new message from order "
    "shipped today confirm password settings updated successfully cannot be undone are you "
    "sure want to delete this item all changes will lost welcome back review cart".split(),
    "fr": "le votre compte été enregistré veuillez réessayer plus tard nouveau message de "
    "commande expédiée aujourd'hui confirmer mot passe paramètres mis à jour avec succès "
    "impossible annuler êtes-vous sûr élément modifications perdues bienvenue à café".split(),
    "de": "der Ihr Konto wurde gespeichert bitte später erneut versuchen neue Nachricht von "
    "Bestellung heute versandt Passwort bestätigen Einstellungen erfolgreich aktualisiert "
    "kann nicht rückgängig gemacht werden möchten Sie wirklich löschen Änderungen gehen "
    "verloren Willkommen zurück Größe Straße".split(),
    "ja": "アカウント を 保存 しました もう一度 お試し ください 新しい メッセージ 注文 は 本日 "
    "発送 されました パスワード 確認 設定 更新 元に 戻せません 本当に 削除 しますか 変更 "
    "失われます おかえりなさい 日本語 東京".split(),
    "pt-BR": "sua conta foi salva por favor tente novamente mais tarde nova mensagem do pedido "
    "enviado hoje confirmar senha configurações atualizadas com sucesso não pode ser desfeito "
    "tem certeza excluir este item alterações serão perdidas bem-vindo ação informação".split(),
}
EMOJI = ["🎉", "✅", "🚀", "⚠️", "👋", "🛒", "📦", "❤️", "🇧🇷", "👍🏽"]
PLACEHOLDERS = ["{name}", "{count}", "%{user}", "{{amount}}", "%s", "{0}", "{date}"]
PLURAL_FORMS = {
    "en": ["one", "other"],
    "fr": ["one", "many", "other"],
    "de": ["one", "other"],
    "ja": ["other"],
    "pt-BR": ["one", "many", "other"],
}


# ---------------------------------------------------------------------------------------------
# The tree of one locale: {namespace path (tuple of segments): file content (dict)}


def sentence(rng, locale):
    words = WORDS[locale]
    joiner = "" if locale == "ja" else " "
    # Interface strings are mostly short: a label or two, sometimes a whole sentence.
    parts = [rng.choice(words) for _ in range(1 + min(14, int(rng.expovariate(1 / 2.5))))]
    if rng.random() < 0.35:
        parts.insert(rng.randrange(len(parts) + 1), rng.choice(PLACEHOLDERS))
    text = joiner.join(parts)
    if locale != "ja":
        text = text[0].upper() + text[1:]
    roll = rng.random()
    if roll < 0.06:
        text += " " + rng.choice(EMOJI)
    elif roll < 0.09:
        text += '\n"' + rng.choice(words) + '"\t(' + rng.choice(words) + ")"
    elif roll < 0.12:
        text += " <a href=\"/help\">" + rng.choice(words) + "</a>"
    return text + rng.choice(["", "", ".", "!", "…", "?"])


def leaf_kinds(rng):
    """The shape of one leaf: mostly strings, some plural objects, a few of everything else."""
    roll = rng.random()
    if roll < 0.80:
        return "string"
    if roll < 0.88:
        return "plural"
    if roll < 0.91:
        return "int"
    if roll < 0.93:
        return "float"
    if roll < 0.96:
        return "bool"
    if roll < 0.98:
        return "array"
    return "null"


def unique_key(rng, taken):
    while True:
        parts = [rng.choice(KEY_WORDS) for _ in range(rng.randint(1, 3))]
        key = "_".join(parts) if rng.random() < 0.7 else parts[0] + "".join(p.title() for p in parts[1:])
        if key not in taken:
            taken.add(key)
            return key


def file_shape(rng, leaves):
    """Keys and leaf kinds of one file, nested one to three levels: {key: kind or dict}."""
    shape = {}
    taken = set()
    remaining = leaves
    while remaining > 0:
        key = unique_key(rng, taken)
        if rng.random() < 0.3 and remaining > 4:
            count = rng.randint(2, min(remaining, 25))
            inner = file_shape(rng, count) if rng.random() < 0.3 else flat_shape(rng, count)
            shape[key] = inner
            remaining -= count
        else:
            shape[key] = leaf_kinds(rng)
            remaining -= 2 if shape[key] == "plural" else 1  # a plural object holds 2-4 keys
    return shape


def flat_shape(rng, count):
    taken = set()
    return {unique_key(rng, taken): leaf_kinds(rng) for _ in range(count)}


def namespaces(rng, files):
    """Distinct namespace paths of two to five segments."""
    seen = set()
    paths = []
    while len(paths) < files:
        depth = rng.randint(2, 5)
        # The first two levels come from a short list, so that files share directories.
        path = tuple(rng.choice(KEY_WORDS[:24] if level < 2 else KEY_WORDS) for level in range(depth))
        # A path must not be a prefix of another, or a file and a directory would share a name.
        if path in seen or any(path[:k] in seen for k in range(1, depth)):
            continue
        if any(p[: len(path)] == path for p in paths):
            continue
        seen.add(path)
        paths.append(path)
    return paths


def realise(rng, shape, locale, toml):
    """The values of one locale for a file shape. TOML has no null: its null leaves are left out."""
    out = {}
    for key, kind in shape.items():
        if isinstance(kind, dict):
            out[key] = realise(rng, kind, locale, toml)
            continue
        if locale != DEFAULT_LOCALE:
            if rng.random() < 0.10:
                continue  # missing in this locale: filled from the default
            if rng.random() < 0.02:
                kind = "null"  # present but null: also filled from the default
        if kind == "string":
            value = sentence(rng, locale)
        elif kind == "plural":
            value = {form: sentence(rng, locale) for form in PLURAL_FORMS[locale]}
            if rng.random() < 0.3:
                value["zero"] = sentence(rng, locale)
        elif kind == "int":
            value = rng.choice([0, 1, 3, 10, 42, 250, 1000, 86400, -1, -15, 2_147_483_648])
        elif kind == "float":
            value = rng.choice([0.5, 1.25, 2.75, 12.5, -3.5, 99.99, 0.001, 1.0])
        elif kind == "bool":
            value = rng.random() < 0.5
        elif kind == "array":
            value = [sentence(rng, locale) for _ in range(rng.randint(2, 6))]
        else:
            value = None
        if value is None and toml:
            continue
        out[key] = value
    return out


# ---------------------------------------------------------------------------------------------
# Writers


def toml_key(key):
    if key and all(c.isascii() and (c.isalnum() or c in "_-") for c in key):
        return key
    return toml_string(key)


def toml_string(text):
    out = ['"']
    for ch in text:
        if ch == '"':
            out.append('\\"')
        elif ch == "\\":
            out.append("\\\\")
        elif ch == "\n":
            out.append("\\n")
        elif ch == "\t":
            out.append("\\t")
        elif ord(ch) < 0x20 or ord(ch) == 0x7F:
            out.append("\\u%04X" % ord(ch))
        else:
            out.append(ch)
    out.append('"')
    return "".join(out)


def toml_value(value):
    if isinstance(value, bool):
        return "true" if value else "false"
    if isinstance(value, (int, float)):
        return repr(value)
    if isinstance(value, str):
        return toml_string(value)
    if isinstance(value, list):
        return "[" + ", ".join(toml_value(v) for v in value) + "]"
    if isinstance(value, dict):  # inline table, for plural objects
        return "{ " + ", ".join(f"{toml_key(k)} = {toml_value(v)}" for k, v in value.items()) + " }"
    raise TypeError(type(value))


def dump_toml(tree):
    lines = []

    def table(path, node):
        scalars = [(k, v) for k, v in node.items() if not isinstance(v, dict) or is_plural(v)]
        tables = [(k, v) for k, v in node.items() if isinstance(v, dict) and not is_plural(v)]
        if path and (scalars or not tables):
            lines.append("")
            lines.append("[" + ".".join(toml_key(p) for p in path) + "]")
        for k, v in scalars:
            lines.append(f"{toml_key(k)} = {toml_value(v)}")
        for k, v in tables:
            table(path + [k], v)

    table([], tree)
    return "\n".join(lines).lstrip("\n") + "\n"


def is_plural(value):
    return bool(value) and set(value) <= {"zero", "one", "many", "other"}


def dump(tree, fmt, rng):
    if fmt == "json":
        # Most files keep their characters as they are; some escape everything beyond ASCII.
        return json.dumps(tree, ensure_ascii=rng.random() < 0.1, indent=2) + "\n"
    if fmt == "yaml":
        return yaml.dump(tree, Dumper=yaml.CSafeDumper, allow_unicode=True, sort_keys=False,
                         default_flow_style=False, width=100)
    return dump_toml(tree)


EXTENSIONS = {"json": ["json"], "yaml": ["yml", "yaml"], "toml": ["toml"]}


def write_locale_dir(root, leaves, fmt, seed):
    rng = random.Random(f"{seed}/{leaves}/{fmt}")
    shape_rng = random.Random(f"{seed}/{leaves}/shape")  # same keys in every format
    files = max(2, leaves // LEAVES_PER_FILE)
    paths = namespaces(shape_rng, files)
    shapes = [file_shape(shape_rng, max(1, int(shape_rng.gauss(leaves / files, leaves / files / 3))))
              for _ in paths]
    top_shape = {"meta": flat_shape(shape_rng, 6), paths[0][0]: {paths[0][1]: flat_shape(shape_rng, 4)}}

    for locale in LOCALES:
        value_rng = random.Random(f"{seed}/{leaves}/{locale}")
        for path, shape in zip(paths, shapes):
            if locale != DEFAULT_LOCALE and value_rng.random() < 0.02:
                continue  # a whole namespace file missing from this locale
            file_fmt = fmt if fmt != "mixed" else rng.choice(["json", "yaml", "toml"])
            content = realise(value_rng, shape, locale, toml=file_fmt == "toml")
            ext = rng.choice(EXTENSIONS[file_fmt])
            target = os.path.join(root, locale, *path[:-1], f"{path[-1]}.{ext}")
            os.makedirs(os.path.dirname(target), exist_ok=True)
            with open(target, "w", encoding="utf-8") as out:
                out.write(dump(content, file_fmt, rng))
        # One whole-locale file at the top: it overlaps the first namespace, so which file the
        # walk meets first decides some leaves.
        file_fmt = fmt if fmt != "mixed" else "json"
        content = realise(value_rng, top_shape, locale, toml=file_fmt == "toml")
        with open(os.path.join(root, f"{locale}.{EXTENSIONS[file_fmt][0]}"), "w", encoding="utf-8") as out:
            out.write(dump(content, file_fmt, rng))
    # Things that are not locale files.
    with open(os.path.join(root, "README.md"), "w") as out:
        out.write("Generated by bench/gen_corpus.py\n")


def write_discovery_dir(root, seed):
    """Many small files in nested directories, about a dozen to a directory, as an application
    with many locales and feature areas has them, plus files that discovery must skip."""
    rng = random.Random(f"{seed}/discovery")
    locales = [f"l{i:02d}" for i in range(12)]
    per_locale = DISCOVERY_FILES // len(locales)
    areas = [(area,) for area in KEY_WORDS[:5]]
    areas += [(area, part) for area in KEY_WORDS[:5] for part in KEY_WORDS[5:9]]
    for locale in locales:
        for i in range(per_locale):
            dirs = rng.choice(areas + [()])
            ext = rng.choice(["json", "yml", "toml", "JSON"])
            target = os.path.join(root, locale, *dirs, f"f{i:04d}.{ext}")
            os.makedirs(os.path.dirname(target), exist_ok=True)
            with open(target, "w") as out:
                out.write("{}\n" if ext.lower() == "json" else "")
            if rng.random() < 0.05:
                with open(os.path.join(os.path.dirname(target), f"notes{i}.txt"), "w") as out:
                    out.write("skip me\n")
        with open(os.path.join(root, f"{locale}.json"), "w") as out:
            out.write("{}\n")


def generate(out, name, seed, writer, *args):
    root = os.path.join(out, name)
    stamp = f"{GENERATOR_DIGEST}/{seed}/{name}/{args}"
    stamp_path = os.path.join(root, ".stamp")
    try:
        with open(stamp_path) as f:
            if f.read() == stamp:
                return False
    except OSError:
        pass
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(root)
    writer(root, *args, seed)
    with open(stamp_path, "w") as f:
        f.write(stamp)
    return True


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(os.path.dirname(__file__), "corpus"))
    parser.add_argument("--large", action="store_true", help="also write the 100k corpus")
    parser.add_argument("--seed", type=int, default=20240611)
    args = parser.parse_args()

    sizes = dict(SIZES)
    if args.large:
        sizes.update(LARGE_SIZES)
    written = []
    for size, leaves in sizes.items():
        for fmt in FORMATS:
            if generate(args.out, os.path.join(size, fmt), args.seed, write_locale_dir, leaves, fmt):
                written.append(f"{size}/{fmt}")
    if generate(args.out, "discovery", args.seed, write_discovery_dir):
        written.append("discovery")
    print(f"gen_corpus: {'wrote ' + ', '.join(written) if written else 'up to date'} in {args.out}",
          file=sys.stderr)


if __name__ == "__main__":
    main()
