"""Two builds of the module side by side in one process: cache hits or cold loads, alternating.

Usage: python3 bench/compare_builds.py MODULE_DIR_A MODULE_DIR_B CORPUS_DIR [hit|cold] [LOCALE] [ROUNDS]

Both extension modules are loaded under their own file; each round times A and B back to back
(the order alternates), with the garbage collector off, and the medians and their ratio A/B are
printed. For keep-or-drop decisions between two versions of one mechanism, where the other work
on the machine would swamp separate runs.
"""

import gc
import glob
import importlib.util
import statistics
import sys
import time


def load_module(directory):
    path = glob.glob(directory + "/tarnevo*.so")[0]
    found = importlib.util.spec_from_file_location("tarnevo", path)
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


def main():
    first, second, corpus = sys.argv[1:4]
    mode = sys.argv[4] if len(sys.argv) > 4 else "hit"
    locale = sys.argv[5] if len(sys.argv) > 5 else "fr"
    rounds = int(sys.argv[6]) if len(sys.argv) > 6 else 200
    modules = [load_module(first), load_module(second)]
    loaders = [module.TarnevoLoader(corpus, "en") for module in modules]
    for loader in loaders:
        loader.load(locale)
    gc.disable()
    times = [[], []]
    for round_number in range(rounds):
        order = (0, 1) if round_number % 2 else (1, 0)
        for side in order:
            loader = loaders[side]
            if mode == "cold":
                loader = modules[side].TarnevoLoader(corpus, "en")
            start = time.thread_time()
            result = loader.load(locale)
            times[side].append(time.thread_time() - start)
            del result
    a, b = (statistics.median(t) * 1e3 for t in times)
    print(f"{mode} {locale}: A {a:.3f} ms  B {b:.3f} ms  A/B {a / b:.3f}")


if __name__ == "__main__":
    main()
