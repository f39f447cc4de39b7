#!/usr/bin/env python3
"""tarnevo beside the loaders a Python user would pick, in one process.

    run_bench.py --module-dir build-release/bindings/python [--corpus bench/corpus] [--large]
                 [--out bench/results.md] [--quick]

Every scenario first checks that tarnevo's result equals the reference loader's (same discovery
order, namespaces, earlier file winning, nulls and gaps filled from the default, fallback), then
times both sides in alternating rounds and reports the medians and their ratio. Times are the
thread's CPU time (user and system), which other processes on a busy machine disturb less than
the wall clock; the cyclic garbage collector is off while a round runs, as timeit does.

Scenarios: cold load (clear the cache, load a non-default locale), against the reference loader
on the usual parsers and on the fastest ones (msgspec, yaml-rs, toml-rs), cache-hit load, loader
construction on a tree of a few thousand files, tarnevo_load_json through ctypes on a cached
locale, and the heap held by one cached locale beside its compact JSON size.
"""

import argparse
import ctypes
import ctypes.util
import gc
import logging
import marshal
import os
import pickle
import platform
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import reference_loader as ref  # noqa: E402

LOCALE = "fr"  # the non-default locale that is loaded and completed from "en"

# (scenario, size, peer) -> the ratio tarnevo/peer that counts as met; "fastest" is the same
# loader on the fastest parsers.
TARGETS = {
    ("cold json", "20k", "fastest"): 0.25,
    ("cold yaml", "20k", "fastest"): 0.5,
    ("cold toml", "20k", "tomllib reference"): 0.10,
    ("cold toml", "20k", "fastest"): 0.3,
    ("cache hit", "20k", "marshal.loads of the same tree"): 0.5,
    ("cache hit", "20k", "reference hit"): 0.5,
    ("first hit", "20k", "the cold load before it"): 0.10,
    ("second hit", "20k", "the cold load before it"): 0.10,
    ("load_json", "20k", "orjson.dumps(OPT_SORT_KEYS)"): 0.5,
    ("discovery", "3k files", "os.scandir walk"): 0.3,
    ("kept memory", "20k", "orjson reference"): 1.0,
}
MEMORY_TARGET = 3.0


def thread_ms():
    return time.thread_time_ns() / 1e6


class Timing:
    def __init__(self, samples):
        self.samples = sorted(samples)
        self.median = statistics.median(self.samples)
        self.best = self.samples[0]

    def spread(self):
        """Interquartile range relative to the median: how noisy the rounds were."""
        q = statistics.quantiles(self.samples, n=4) if len(self.samples) >= 4 else [self.best] * 3
        return (q[2] - q[0]) / self.median if self.median else 0.0


def compare(sides, min_rounds=5, max_rounds=41, budget_ms=1500.0):
    """Times each side's callable in alternating rounds; {name: Timing}.

    A callable may return an object; it is dropped after the clock stops, so freeing results is
    not counted. The number of rounds follows from the slowest side's first run and the budget.
    """
    gc.collect()
    first = {}
    for name, fn in sides.items():
        start = thread_ms()
        kept = fn()
        first[name] = thread_ms() - start
        del kept
    slowest = max(first.values()) or 0.001
    rounds = int(max(min_rounds, min(max_rounds, budget_ms / (slowest * len(sides)))))
    samples = {name: [] for name in sides}
    was_enabled = gc.isenabled()
    gc.disable()
    try:
        for _ in range(rounds):
            for name, fn in sides.items():
                start = thread_ms()
                kept = fn()
                samples[name].append(thread_ms() - start)
                del kept
            gc.collect()
    finally:
        if was_enabled:
            gc.enable()
    return {name: Timing(values) for name, values in samples.items()}


class CInterface:
    """The six C functions, from the extension module's own shared library."""

    def __init__(self, module_path):
        lib = ctypes.CDLL(module_path)
        lib.tarnevo_create_loader.restype = ctypes.c_void_p
        lib.tarnevo_create_loader.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
        lib.tarnevo_load_json.restype = ctypes.c_void_p
        lib.tarnevo_load_json.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
        lib.tarnevo_free_string.restype = None
        lib.tarnevo_free_string.argtypes = [ctypes.c_void_p]
        lib.tarnevo_free_loader.restype = None
        lib.tarnevo_free_loader.argtypes = [ctypes.c_void_p]
        self.lib = lib


class HeapMeter:
    """Bytes in use on the C heap (glibc's mallinfo2), or None where it is unavailable."""

    class _MallInfo2(ctypes.Structure):
        _fields_ = [(name, ctypes.c_size_t) for name in (
            "arena", "ordblks", "smblks", "hblks", "hblkhd", "usmblks", "fsmblks", "uordblks",
            "fordblks", "keepcost")]

    def __init__(self):
        try:
            libc = ctypes.CDLL(ctypes.util.find_library("c"))
            self.mallinfo2 = libc.mallinfo2
            self.mallinfo2.restype = self._MallInfo2
        except (OSError, AttributeError, TypeError):
            self.mallinfo2 = None

    def in_use(self):
        if self.mallinfo2 is None:
            return None
        info = self.mallinfo2()
        return info.uordblks + info.hblkhd


# ---------------------------------------------------------------------------------------------


class Report:
    def __init__(self):
        self.rows = []
        self.notes = []
        self.floors = []

    def add(self, scenario, size, tarnevo, peer_name, peer, fast_name=None, fast=None):
        """One row: tarnevo beside a peer and, where the parsers play a part, beside the same
        loader on the fastest parsers (fast_name, fast). Targets come from TARGETS."""
        ratio = tarnevo.median / peer.median
        target = TARGETS.get((scenario, size, peer_name.split(" (")[0]))
        met = None if target is None else ratio <= target
        row = dict(scenario=scenario, size=size, tarnevo=tarnevo, peer_name=peer_name, peer=peer,
                   ratio=ratio, best_ratio=tarnevo.best / peer.best, target=target, met=met,
                   fast_name=fast_name, fast=fast, fast_target=None, fast_met=None)
        if fast is not None:
            row.update(fast_ratio=tarnevo.median / fast.median,
                       fast_best_ratio=tarnevo.best / fast.best)
            row["fast_target"] = TARGETS.get((scenario, size, "fastest"))
            if row["fast_target"] is not None:
                row["fast_met"] = row["fast_ratio"] <= row["fast_target"]
                met = row["fast_met"] if met is None else met and row["fast_met"]
        row["met"] = met
        self.rows.append(row)
        mark = "" if met is None else ("  met" if met else "  NOT MET")
        print(f"  {scenario:<12} {size:<9} tarnevo {tarnevo.median:9.3f} ms   "
              f"{peer_name:<34} {peer.median:9.3f} ms   ratio {ratio:6.3f}{mark}", flush=True)
        if fast is not None:
            print(f"  {'':<12} {'':<9} {'':<21}   {fast_name:<34} {fast.median:9.3f} ms   "
                  f"ratio {row['fast_ratio']:6.3f}", flush=True)


def verify(tarnevo_tree, reference_tree, what):
    if tarnevo_tree != reference_tree:
        sys.exit(f"run_bench: tarnevo and the reference disagree on {what}; not timing it")


def is_sorted_tree(value):
    if type(value) is dict:
        keys = [k.encode() for k in value]
        return keys == sorted(keys) and all(is_sorted_tree(v) for v in value.values())
    if type(value) is list:
        return all(is_sorted_tree(v) for v in value)
    return True


def bench_cold(tarnevo, report, corpus, size, fmt, peers, fastest):
    """peers: {name: parsers}, the first one with the target; fastest: (name, parsers), shown
    beside the first peer."""
    directory = os.path.join(corpus, size, fmt)
    loader = tarnevo.TarnevoLoader(directory)
    fast_name = fastest[0]
    references = {name: ref.ReferenceLoader(directory, "en", p)
                  for name, p in list(peers.items()) + [fastest]}
    # Every locale, a missing one (fallback) included, must come out the same from every peer.
    for locale in loader.languages() + ["xx"]:
        got = loader.load(locale)
        for name, reference in references.items():
            verify(got, reference.load(locale), f"{size}/{fmt} locale {locale} ({name})")
        if not is_sorted_tree(got):
            sys.exit(f"run_bench: tarnevo's keys are not in byte order in {size}/{fmt} {locale}")

    def tarnevo_cold():
        loader.clear_cache()
        return loader.load(LOCALE)

    sides = {"tarnevo": tarnevo_cold}
    for name, reference in references.items():
        def reference_cold(reference=reference):
            reference.clear_cache()
            return reference.load(LOCALE)
        sides[name] = reference_cold
    timings = compare(sides)
    first = next(iter(peers))
    for name in peers:
        if name == first:
            report.add(f"cold {fmt}", size, timings["tarnevo"], name, timings[name],
                       fast_name, timings[fast_name])
        else:
            report.add(f"cold {fmt}", size, timings["tarnevo"], name, timings[name])
    return loader, references


def bench_hit(tarnevo, report, corpus, size):
    directory = os.path.join(corpus, size, "json")
    loader = tarnevo.TarnevoLoader(directory)
    reference = ref.ReferenceLoader(directory, "en", ref.make_parsers("orjson"))
    tree = reference.load(LOCALE)
    verify(loader.load(LOCALE), tree, f"{size} cache hit")
    marshalled = marshal.dumps(tree)
    pickled = pickle.dumps(tree, protocol=pickle.HIGHEST_PROTOCOL)
    timings = compare({
        "tarnevo": lambda: loader.load(LOCALE),
        "marshal": lambda: marshal.loads(marshalled),
        "pickle": lambda: pickle.loads(pickled),
        "reference": lambda: reference.load(LOCALE),
    })
    report.add("cache hit", size, timings["tarnevo"], "marshal.loads of the same tree",
               timings["marshal"])
    report.add("cache hit", size, timings["tarnevo"], "pickle.loads of the same tree",
               timings["pickle"])
    report.add("cache hit", size, timings["tarnevo"], "reference hit (tree copy)",
               timings["reference"])


def bench_hits_after_cold(tarnevo, report, corpus, size, rounds=15):
    """The first and second hit on a new loader, beside the cold load just before them: what an
    application that calls load() per request pays until hits are cheap."""
    directory = os.path.join(corpus, size, "json")
    samples = {"cold": [], "first": [], "second": []}
    gc.collect()
    was_enabled = gc.isenabled()
    gc.disable()
    try:
        for _ in range(rounds):
            loader = tarnevo.TarnevoLoader(directory)
            for name in samples:
                start = thread_ms()
                kept = loader.load(LOCALE)
                samples[name].append(thread_ms() - start)
                del kept
            del loader
            gc.collect()
    finally:
        if was_enabled:
            gc.enable()
    cold = Timing(samples["cold"])
    for name in ("first", "second"):
        report.add(f"{name} hit", size, Timing(samples[name]), "the cold load before it", cold)


def bench_load_json(tarnevo, report, corpus, size, c_api):
    import orjson

    directory = os.path.join(corpus, size, "json").encode()
    lib = c_api.lib
    handle = lib.tarnevo_create_loader(directory, b"en")
    if not handle:
        sys.exit("run_bench: tarnevo_create_loader failed")
    try:
        # The peer writes what its own loader cached: the reference's tree, keys in file order.
        tree = ref.ReferenceLoader(directory.decode(), "en", ref.make_parsers("orjson")).load(LOCALE)
        text = lib.tarnevo_load_json(handle, LOCALE.encode())
        written = ctypes.string_at(text)
        lib.tarnevo_free_string(text)
        verify(orjson.loads(written), tree, f"{size} tarnevo_load_json")
        same_bytes = written == orjson.dumps(tree, option=orjson.OPT_SORT_KEYS)

        def c_load_json():
            lib.tarnevo_free_string(lib.tarnevo_load_json(handle, b"fr"))

        timings = compare({
            "tarnevo": c_load_json,
            "orjson": lambda: orjson.dumps(tree, option=orjson.OPT_SORT_KEYS),
        })
        report.add("load_json", size, timings["tarnevo"], "orjson.dumps(OPT_SORT_KEYS)",
                   timings["orjson"])
        report.notes.append(
            f"tarnevo_load_json ({size}) writes {len(written):,} bytes; orjson.dumps with sorted "
            f"keys of the reference loader's cached tree (keys in file order) gives "
            f"{'the same bytes' if same_bytes else 'equal JSON, not the same bytes'}.")
    finally:
        lib.tarnevo_free_loader(handle)


def bench_floors(report, corpus, size, tool):
    """Reading alone on the files that a cold load of the locale reads: libyaml's events under the
    YAML reader, and tarnevo's own TOML reader (tree and all, each file read whole)."""
    if not tool or not os.path.exists(tool):
        report.notes.append("Parser floors: parser_floor was not built; not measured.")
        return
    for fmt, library, peer_name in (("yaml", "libyaml events", "CSafeLoader reference"),
                                    ("toml", "TOML reader", "tomllib reference")):
        index = ref.scan_directory(os.path.join(corpus, size, fmt))
        files = [path for locale in (LOCALE, "en") for path, _, _ in index[locale]]
        out = subprocess.run([tool, "7"] + files, capture_output=True, text=True, check=True).stdout
        measured = dict(item.split("=") for item in out.split())
        floor = measured[f"{fmt}_ms"]
        if f"{fmt}_bytes" in measured:
            library += f" ({float(measured[f'{fmt}_bytes']) / float(floor) / 1e3:.0f} MB/s)"
        row = next(r for r in report.rows if r["scenario"] == f"cold {fmt}" and r["size"] == size
                   and r["peer_name"] == peer_name)
        floor_ms = float(floor)
        report.floors.append(dict(size=size, library=library, ms=floor_ms, peer_name=peer_name,
                                  peer_ms=row["peer"].median, ratio=floor_ms / row["peer"].median,
                                  tarnevo_ratio=row["ratio"]))
        print(f"  floor        {size:<9} {library} alone {floor_ms:8.3f} ms = "
              f"{floor_ms / row['peer'].median:.3f} of the {peer_name}", flush=True)


def bench_memory(report, corpus, size, c_api):
    """Heap held by one cached locale: a C loader's heap use before and after one load."""
    meter = HeapMeter()
    lib = c_api.lib
    handle = lib.tarnevo_create_loader(os.path.join(corpus, size, "json").encode(), b"en")
    try:
        gc.collect()
        before = meter.in_use()
        text = lib.tarnevo_load_json(handle, LOCALE.encode())
        length = len(ctypes.string_at(text))
        lib.tarnevo_free_string(text)
        after = meter.in_use()
    finally:
        lib.tarnevo_free_loader(handle)
    if before is None:
        report.notes.append("Cache memory: glibc's mallinfo2 is not available; not measured.")
        return None
    held = after - before
    ratio = held / length
    report.memory = dict(size=size, held=held, json=length, ratio=ratio)
    print(f"  memory       {size:<9} cache {held / 1e6:.2f} MB for {length / 1e6:.2f} MB of compact "
          f"JSON: {ratio:.2f}x {'met' if ratio <= MEMORY_TARGET else 'NOT MET'}", flush=True)
    return held


_KEPT_MEMORY_PROBE = r"""
import gc, os, sys
sys.path[:0] = sys.argv[1:3]
def rss():
    with open("/proc/self/statm") as f:
        return int(f.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")
if sys.argv[3] == "tarnevo":
    import tarnevo
    loader = tarnevo.TarnevoLoader(sys.argv[4], "en")
    locales = loader.languages()
else:
    import reference_loader as ref
    loader = ref.ReferenceLoader(sys.argv[4], "en", ref.make_parsers("orjson"))
    locales = loader.languages()
if sys.argv[5] == "one":
    locales = ["fr"]
gc.collect()
before = rss()
held = []
for locale in locales:
    result = loader.load(locale)
    if sys.argv[5] == "held":
        held.append(result)
    del result
gc.collect()
print(rss() - before)
"""

# What each memory line loads: one locale with its result dropped (the cache alone), or every
# locale with the results dropped or held (an application serving every language holds them).
KEPT_MEMORY_LINES = [
    ("kept memory", "one", "fr, result dropped"),
    ("all locales kept", "dropped", "every locale, results dropped"),
    ("all locales held", "held", "every locale, results held"),
]


def bench_kept_memory(report, corpus, size, module_dir):
    """Memory a process keeps after making a loader and loading (resident set size, median of
    five fresh processes), tarnevo beside the orjson reference loader."""
    directory = os.path.join(corpus, size, "json")
    bench_dir = os.path.dirname(os.path.abspath(__file__))
    report.kept = []
    for scenario, mode, what in KEPT_MEMORY_LINES:
        kept = {}
        for side in ("tarnevo", "orjson reference"):
            samples = []
            for _ in range(5):
                out = subprocess.run(
                    [sys.executable, "-c", _KEPT_MEMORY_PROBE, module_dir, bench_dir,
                     side.split()[0], directory, mode], capture_output=True, text=True,
                    check=True)
                samples.append(int(out.stdout) / 1e6)
            kept[side] = statistics.median(samples)
        ratio = kept["tarnevo"] / kept["orjson reference"]
        target = TARGETS.get((scenario, size, "orjson reference"))
        report.kept.append(dict(scenario=scenario, what=what, size=size, tarnevo=kept["tarnevo"],
                                peer=kept["orjson reference"], ratio=ratio, target=target))
        print(f"  {scenario:<16} {size:<9} tarnevo {kept['tarnevo']:.2f} MB   orjson reference "
              f"{kept['orjson reference']:.2f} MB   ratio {ratio:.3f}", flush=True)


def bench_all_locales(tarnevo, report, corpus, size):
    """A new loader loading every locale once, beside a new orjson reference loader."""
    directory = os.path.join(corpus, size, "json")
    locales = tarnevo.TarnevoLoader(directory).languages()
    parsers = ref.make_parsers("orjson")

    def run(make):
        loader = make()
        return [loader.load(locale) for locale in locales]

    timings = compare({
        "tarnevo": lambda: run(lambda: tarnevo.TarnevoLoader(directory)),
        "reference": lambda: run(lambda: ref.ReferenceLoader(directory, "en", parsers)),
    })
    report.add("all locales", size, timings["tarnevo"],
               f"orjson reference ({len(locales)} locales, new loaders)", timings["reference"])


def bench_discovery(tarnevo, report, corpus):
    directory = os.path.join(corpus, "discovery")
    loader = tarnevo.TarnevoLoader(directory)
    reference = ref.ReferenceLoader(directory, "en", parsers={})
    if loader.languages() != reference.languages():
        sys.exit("run_bench: tarnevo and the reference discover different locales")
    files = sum(len(v) for v in reference.index.values())
    timings = compare({
        "tarnevo": lambda: tarnevo.TarnevoLoader(directory),
        "reference": lambda: ref.ReferenceLoader(directory, "en", parsers={}),
    })
    report.add("discovery", "3k files", timings["tarnevo"], f"os.scandir walk ({files:,} files)",
               timings["reference"])


# ---------------------------------------------------------------------------------------------


def machine_description():
    cpu = platform.processor() or "unknown CPU"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    try:
        load = ", ".join(f"{x:.2f}" for x in os.getloadavg())
    except OSError:
        load = "unknown"
    return (f"{cpu}, {os.cpu_count()} logical CPUs, Linux {platform.release()}, "
            f"Python {platform.python_version()}; load average at start {load}")


def git_revision():
    try:
        return subprocess.run(["git", "rev-parse", "--short", "HEAD"], capture_output=True,
                              text=True, check=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        return "unknown"


def write_results(report, path, command, versions, elapsed):
    lines = [
        "# tarnevo beside its Python peers",
        "",
        f"Command: `{command}` (revision {git_revision()}, finished in {elapsed:.0f} s)",
        "",
        f"Machine: {machine_description()}.",
        "",
        f"Peers: {versions}.",
        "",
        "Each row: median thread CPU time over alternating rounds (garbage collector off), the "
        "ratio tarnevo/peer of the medians, the same ratio of the fastest rounds (a second "
        "reading of the noise), and the target. Locale `fr` is loaded and completed from the "
        "default `en`; `cold` clears the cache first; the reference loader has the same "
        "semantics and its result is checked equal to tarnevo's before anything is timed.",
        "",
        "The last columns put tarnevo beside the same reference loader on the fastest "
        "parsers (msgspec, yaml-rs, toml-rs), timed in the same alternating rounds; they are "
        "blank where the parsers play no part: the cache hit (both reference loaders hand out "
        "the same deep copy of their cached tree, timed once in the `reference hit` row), "
        "`load_json` and discovery. Ratios in brackets are those of the fastest rounds, a second "
        "reading of the noise. `met`: every target of the row holds.",
        "",
        "| scenario | corpus | tarnevo ms | peer | peer ms | ratio | target "
        "| fastest-parser peer | ms | ratio | target | met |",
        "|---|---|---:|---|---:|---:|---:|---|---:|---:|---:|---|",
    ]

    def bound(target):
        return "" if target is None else f"≤ {target:.2f}"

    for row in report.rows:
        met = "" if row["met"] is None else ("yes" if row["met"] else "**no**")
        fast = " | | | |"
        if row["fast"] is not None:
            fast = (f" {row['fast_name']} | {row['fast'].median:.2f} | {row['fast_ratio']:.3f} "
                    f"({row['fast_best_ratio']:.3f}) | {bound(row['fast_target'])} |")
        lines.append(
            f"| {row['scenario']} | {row['size']} | {row['tarnevo'].median:.2f} | "
            f"{row['peer_name']} | {row['peer'].median:.2f} | {row['ratio']:.3f} "
            f"({row['best_ratio']:.3f}) | {bound(row['target'])} |{fast} {met} |")
    memory = getattr(report, "memory", None)
    if memory:
        met = "yes" if memory["ratio"] <= MEMORY_TARGET else "**no**"
        lines.append(
            f"| cache memory | {memory['size']} | {memory['held'] / 1e6:.2f} MB | compact JSON "
            f"| {memory['json'] / 1e6:.2f} MB | {memory['ratio']:.2f} | ≤ {MEMORY_TARGET:.1f} "
            f"| | | | | {met} |")
    for kept in getattr(report, "kept", []):
        met = "" if kept["target"] is None else ("yes" if kept["ratio"] <= kept["target"] else "**no**")
        lines.append(
            f"| {kept['scenario']} | {kept['size']} | {kept['tarnevo']:.2f} MB | orjson reference "
            f"({kept['what']}) | {kept['peer']:.2f} MB | {kept['ratio']:.3f} "
            f"| {bound(kept['target'])} | | | | | {met} |")
    lines.append("")
    if report.floors:
        lines += [
            "Reading floors, on the files that the cold load reads (locale and default, each "
            "read whole), beside the same peer run as in the table above: libyaml's events alone "
            "(no tree built) under the YAML reader, and the TOML reader itself (its own parser, "
            "tree and all).",
            "",
            "| corpus | reading alone | ms | peer | peer ms | floor ratio | tarnevo ratio |",
            "|---|---|---:|---|---:|---:|---:|",
        ]
        for f in report.floors:
            lines.append(f"| {f['size']} | {f['library']} | {f['ms']:.2f} | {f['peer_name']} | "
                         f"{f['peer_ms']:.2f} | {f['ratio']:.3f} | {f['tarnevo_ratio']:.3f} |")
        lines.append("")
    noisy = [f"{r['scenario']} {r['size']} vs {name}" for r in report.rows
             for name, peer in ((r["peer_name"], r["peer"]), (r["fast_name"], r["fast"]))
             if peer is not None and max(r["tarnevo"].spread(), peer.spread()) > 0.15]
    if noisy:
        lines.append("Noisy rows (interquartile range above 15% of the median on either side): "
                     + ", ".join(noisy) + ".")
        lines.append("")
    for note in report.notes:
        lines.append(f"- {note}")
    lines.append("")
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines))
    print(f"run_bench: wrote {path}")
    write_chart(report, os.path.splitext(path)[0] + ".png")


def write_chart(report, path):
    try:
        import matplotlib

        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        return
    rows = [r for r in report.rows if r["size"] in ("20k", "3k files")]
    labels = [f"{r['scenario']}\nvs {r['peer_name']}" for r in rows]
    fig, ax = plt.subplots(figsize=(max(8, len(rows) * 0.9), 5))
    bars = ax.bar(range(len(rows)), [r["ratio"] for r in rows], color="#4878a8")
    for i, r in enumerate(rows):
        if r["target"] is not None:
            ax.hlines(r["target"], i - 0.4, i + 0.4, colors="#c03030")
    ax.axhline(1.0, color="#888888", linewidth=0.8)
    ax.set_xticks(range(len(rows)))
    ax.set_xticklabels(labels, rotation=60, ha="right", fontsize=7)
    ax.set_ylabel("tarnevo time / peer time (lower is better; red: target)")
    ax.bar_label(bars, fmt="%.2f", fontsize=7)
    fig.tight_layout()
    fig.savefig(path, dpi=120)
    print(f"run_bench: wrote {path}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--module-dir", required=True, help="directory holding the tarnevo module")
    parser.add_argument("--corpus", default=os.path.join(os.path.dirname(__file__), "corpus"))
    parser.add_argument("--large", action="store_true", help="also run the 100k corpus")
    parser.add_argument("--out", default=os.path.join(os.path.dirname(__file__), "results.md"))
    parser.add_argument("--command", default=" ".join(sys.argv), help="shown in the results")
    parser.add_argument("--floor-tool", help="the parser_floor program (bench/cpp)")
    args = parser.parse_args()

    sys.path.insert(0, os.path.abspath(args.module_dir))
    import tarnevo

    # The discovery corpus has no default locale on purpose; the module's warning about it is
    # not part of what is timed or shown.
    logging.getLogger("tarnevo").addHandler(logging.NullHandler())

    if not os.path.abspath(tarnevo.__file__).startswith(os.path.abspath(args.module_dir)):
        sys.exit(f"run_bench: imported {tarnevo.__file__}, not the module in {args.module_dir}")
    import orjson
    import yaml

    if not getattr(yaml, "__with_libyaml__", False):
        sys.exit("run_bench: PyYAML lacks its libyaml binding (CSafeLoader)")
    import msgspec
    import toml_rs
    import yaml_rs

    versions = (f"orjson {orjson.__version__}, PyYAML {yaml.__version__} (CSafeLoader), "
                f"tomllib and json of Python {platform.python_version()}; fastest parsers: "
                f"msgspec {msgspec.__version__}, yaml-rs {yaml_rs.__version__}, "
                f"toml-rs {toml_rs.__version__}")

    started = time.monotonic()
    report = Report()
    c_api = CInterface(tarnevo.__file__)
    # The peers as their users would write them for this corpus: without the walk that maps
    # YAML and TOML values no file here holds (each cold scenario checks them equal to tarnevo
    # on every locale before timing, so a corpus that needed the mapping would stop the run).
    orjson_parsers = ref.make_parsers("orjson", map_values=False)
    json_parsers = ref.make_parsers("json", map_values=False)
    fastest_parsers = ref.make_parsers("fastest", map_values=False)
    sizes = ["2k", "20k"] + (["100k"] if args.large else [])
    for size in sizes:
        print(f"{size}:", flush=True)
        bench_cold(tarnevo, report, args.corpus, size, "json",
                   {"orjson reference": orjson_parsers, "json reference": json_parsers},
                   ("msgspec reference", fastest_parsers))
        for fmt, label, fast_label in (
                ("yaml", "CSafeLoader reference", "yaml-rs reference"),
                ("toml", "tomllib reference", "toml-rs reference"),
                ("mixed", "orjson+CSafeLoader+tomllib reference",
                 "msgspec+yaml-rs+toml-rs reference")):
            bench_cold(tarnevo, report, args.corpus, size, fmt, {label: orjson_parsers},
                       (fast_label, fastest_parsers))
        if size == "20k":
            bench_floors(report, args.corpus, size, args.floor_tool)
        bench_hit(tarnevo, report, args.corpus, size)
        bench_hits_after_cold(tarnevo, report, args.corpus, size)
        bench_load_json(tarnevo, report, args.corpus, size, c_api)
    print("discovery:", flush=True)
    bench_discovery(tarnevo, report, args.corpus)
    bench_memory(report, args.corpus, "20k", c_api)
    bench_all_locales(tarnevo, report, args.corpus, "20k")
    bench_kept_memory(report, args.corpus, "20k", args.module_dir)
    write_results(report, args.out, args.command, versions, time.monotonic() - started)


if __name__ == "__main__":
    main()
