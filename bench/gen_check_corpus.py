#!/usr/bin/env python3
"""Writes a locale directory for timing `tarnevo check`: eight locales of about 20,000 keys each,
in JSON files of 100 keys under two levels of namespace directories.

    gen_check_corpus.py [--out bench/corpus/check-8x20k] [--keys 20000] [--seed N]

Strings carry placeholders ({name}, %(count)d, %s, {{amount}}, ICU plurals), about one key in
nine is a plural group in the categories each language uses, and the other locales lack a few
keys and hold a few faults of every kind the check reports, so that every finding's code runs.
"""

import argparse
import json
import random
import shutil
from pathlib import Path

LOCALES = {
    "en": ["one", "other"],
    "de": ["one", "other"],
    "fr": ["one", "many", "other"],
    "ja": ["other"],
    "pl": ["one", "few", "many", "other"],
    "ar": ["zero", "one", "two", "few", "many", "other"],
    "pt-BR": ["one", "many", "other"],
    "es": ["one", "many", "other"],
}
WORDS = "account saved please try again later new message order shipped today confirm settings".split()
PLACEHOLDERS = ["{name}", "%(count)d", "%s", "{{amount}}", "{count, plural, one {# item} other {# items}}"]
KEYS_PER_FILE = 100


def sentence(shape_rng, word_rng):
    """The same placeholder in every locale, in words of the locale's own."""
    placeholder = shape_rng.choice(PLACEHOLDERS) if shape_rng.random() < 0.4 else None
    words = [word_rng.choice(WORDS) for _ in range(word_rng.randint(2, 9))]
    if placeholder:
        words.insert(word_rng.randrange(len(words)), placeholder)
    return " ".join(words)


def file_values(shape_rng, fault_rng, locale, categories, keys):
    """One file's tree, {key: value}: `shape_rng` gives every locale the same keys and kinds,
    `fault_rng` this locale's words, gaps and faults."""
    out = {}
    for i in range(keys):
        key = f"{shape_rng.choice(WORDS)}_{i}"
        roll = shape_rng.random()
        text = sentence(shape_rng, fault_rng)
        missing = locale != "en" and fault_rng.random() < 0.03
        renamed = locale != "en" and fault_rng.random() < 0.002
        if missing:
            continue
        if roll < 0.11:
            out[key] = {category: "{count} " + text for category in categories}
        elif roll < 0.13:
            out[key] = [text] * 3
        elif roll < 0.15:
            out[key] = i
        else:
            out[key] = "{renamed} " + text if renamed else text
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", default=str(Path(__file__).resolve().parent / "corpus" / "check-8x20k"))
    parser.add_argument("--keys", type=int, default=20_000)
    parser.add_argument("--seed", type=int, default=16)
    args = parser.parse_args()
    out = Path(args.out)
    shutil.rmtree(out, ignore_errors=True)
    for locale, categories in LOCALES.items():
        for number in range(args.keys // KEYS_PER_FILE):
            shape_rng = random.Random(f"{args.seed}/{number}")
            fault_rng = random.Random(f"{args.seed}/{locale}/{number}")
            path = out / locale / f"area{number % 10}" / f"part{number // 10}" / f"file{number}.json"
            path.parent.mkdir(parents=True, exist_ok=True)
            tree = file_values(shape_rng, fault_rng, locale, categories, KEYS_PER_FILE)
            path.write_text(json.dumps(tree, ensure_ascii=False), encoding="utf-8")
    print(out)


if __name__ == "__main__":
    main()
