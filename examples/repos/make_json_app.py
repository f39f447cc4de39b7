#!/usr/bin/env python3
"""Writes json-app/: one JSON file per locale with {{x}} placeholders, many untranslated
(blank) strings, a few real placeholder faults, and a stray percentages.json that is no locale.
Run from this folder; the files it writes are committed."""

import json
import random
from pathlib import Path

random.seed(20)
OUT = Path(__file__).parent / "json-app"
OUT.mkdir(exist_ok=True)
WORDS = "save cancel open close file folder share upload photo album friend message".split()
EN = {}
for i in range(60):
    a, b = WORDS[i % len(WORDS)], WORDS[(i * 7) % len(WORDS)]
    EN[f"{a}_{b}_{i}"] = f"{a.title()} {b}" + (" for {{name}}" if i % 4 == 0 else "") + (" ({{count}})" if i % 5 == 0 else "")
FAULTS = {"de": 3, "fr": 2, "pl": 2, "es": 1, "ja": 1}
for locale in ["de", "es", "fr", "ja", "pl", "pt-BR", "it"]:
    tree = {}
    faults = FAULTS.get(locale, 0)
    for key, text in EN.items():
        roll = random.random()
        if roll < 0.08:
            continue  # missing
        if roll < 0.45:
            tree[key] = ""  # untranslated
            continue
        translated = f"[{locale}] {text}"
        if faults and "{{name}}" in text:
            translated = translated.replace("{{name}}", "{{nom}}" if locale == "fr" else "{name}")
            faults -= 1
        tree[key] = translated
    (OUT / f"{locale}.json").write_text(json.dumps(tree, ensure_ascii=False, indent=2) + "\n")
(OUT / "en.json").write_text(json.dumps(EN, indent=2) + "\n")
percent = {locale: random.randint(20, 99) for locale in ["de", "es", "fr", "ja", "pl", "pt-BR", "it"]}
(OUT / "percentages.json").write_text(json.dumps(percent, indent=2) + "\n")
