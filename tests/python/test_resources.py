"""Repeated calls, successful or failing, must not leak references or memory."""

import gc
import os
import sys

import pytest

import tarnevo
from tarnevo import TarnevoLoader, create_locale_loader


def resident_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def counts():
    gc.collect()  # garbage in cycles (tracebacks of the errors raised) holds references too
    return [sys.getrefcount(o) for o in (None, True, False, TarnevoLoader, create_locale_loader)]


@pytest.mark.skipif(not os.path.exists("/proc/self/statm"), reason="needs /proc")
def test_many_calls_leave_reference_counts_and_memory_stable(locale_dir, tmp_path):
    members = ", ".join(f'"k{i}": [null, true, false, {i}, "text{i}", {{"n": null}}]' for i in range(200))
    path = locale_dir({"en.json": "{" + members + "}", "fr.json": '{"k0": null}', "de.json": "{oops"})
    loader = TarnevoLoader(path)
    no_default = TarnevoLoader(path, "none")
    missing = str(tmp_path / "missing")

    def expect(exception, call, *args, **kwargs):
        try:
            call(*args, **kwargs)
        except exception:
            return
        raise AssertionError(f"{call} did not raise {exception}")

    def exercise(rounds):
        for _ in range(rounds):
            loader.load("en")
            loader.load("fr")
            loader.load("de")  # parse error, answered with the default locale
            loader.languages()
            loader.exists("en")
            loader.exists("zz")
            loader.clear_cache("fr")
            expect(RuntimeError, no_default.load, "de")
            expect(RuntimeError, TarnevoLoader, missing)
            expect(RuntimeError, create_locale_loader, missing, None)
            expect(TypeError, loader.load, None)
            expect(TypeError, loader.load, name="en")
            expect(TypeError, loader.load, "en", locale="en")
            expect(TypeError, loader.exists, "a", "b")
            expect(TypeError, TarnevoLoader, path, None)
            expect(UnicodeEncodeError, loader.load, "\ud800")
            create_locale_loader(path, None).exists("en")
            TarnevoLoader(path, "fr").load("fr")
        loader.reload()

    exercise(100)
    before_counts, before_memory = counts(), resident_bytes()
    exercise(2000)
    after_counts, after_memory = counts(), resident_bytes()
    for before, after in zip(before_counts, after_counts):
        assert abs(after - before) < 50, (before_counts, after_counts)
    assert after_memory - before_memory < 16 << 20
