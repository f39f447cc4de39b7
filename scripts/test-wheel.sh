#!/usr/bin/env bash
# Installs the package the way users do into a fresh virtual environment (pip install ., one
# wheel build; or a given wheel file, with no compiler on PATH and no index), checks that the
# tarnevo command came with it, and runs the Python tests against the installed copy, not the
# build tree.
# Usage: scripts/test-wheel.sh [WORK_DIR [WHEEL]]   (default: build/wheel-test; emptied first)
# PYTHON is the project environment's interpreter (scripts/install-deps.sh); the new environment
# sees its test tools (pytest, hypothesis, mypy) through a .pth file, after its own packages.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="${1:-$repo/build/wheel-test}"
wheel="${2:-}"
python="${PYTHON:-${TARNEVO_VENV:-$repo/.venv}/bin/python}"

rm -rf "$work"
mkdir -p "$work"
work="$(cd "$work" && pwd)"
unset PYTHONPATH
# Two parallel compile jobs unless the caller asks otherwise.
export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-2}"

"$python" -m venv "$work/venv"
venv_python="$work/venv/bin/python"
tools=$("$python" -c 'import sysconfig; print(sysconfig.get_paths()["purelib"])')
"$venv_python" -c 'import sysconfig, sys; open(sysconfig.get_paths()["purelib"] + "/test_tools.pth", "w").write(sys.argv[1] + "\n")' "$tools"

if [ -n "$wheel" ]; then
  # Only the environment and a few file tools on PATH: no compiler could rescue the install.
  mkdir "$work/tools"
  for tool in grep rm mkdir; do ln -s "$(command -v "$tool")" "$work/tools/$tool"; done
  export PATH="$work/venv/bin:$work/tools"
  for compiler in cc c++ gcc g++ clang; do
    if command -v "$compiler" >/dev/null; then echo "a compiler is on PATH: $compiler" >&2; exit 1; fi
  done
  "$venv_python" -m pip install --quiet --disable-pip-version-check --no-index "$wheel"
else
  (cd "$repo" && "$venv_python" -m pip install --quiet --disable-pip-version-check .)
fi

# One stable-ABI wheel serves CPython 3.8 and later.
"$venv_python" - <<'PY'
from importlib import metadata
tags = [line.split(":", 1)[1].strip()
        for line in metadata.distribution("tarnevo").read_text("WHEEL").splitlines()
        if line.startswith("Tag:")]
if len(tags) != 1 or not tags[0].startswith("cp38-abi3-"):
    raise SystemExit(f"expected one cp38-abi3 wheel tag, got {tags}")
print("installed wheel tag:", tags[0])
PY

# The command comes with the package, on the environment's PATH.
listed=$(PATH="$work/venv/bin:$PATH" tarnevo languages "$repo/examples/locales")
if [ "$listed" != "$(printf 'de\nen\nfr')" ]; then
  echo "the installed tarnevo command listed: $listed" >&2
  exit 1
fi
test "$(PATH="$work/venv/bin:$PATH" command -v tarnevo)" = "$work/venv/bin/tarnevo"
echo "installed command: $("$work/venv/bin/tarnevo" --version)"

# Type checkers find the module's types in the installed wheel: a typed use passes, a wrong
# argument type is reported.
typing_dir="$repo/tests/python/typing"
(cd "$work" && "$venv_python" -m mypy --strict --no-incremental "$typing_dir/typed_use.py")
if wrong=$(cd "$work" && "$venv_python" -m mypy --no-incremental -c \
    'import tarnevo; tarnevo.TarnevoLoader("d").load(42)'); then
  echo "mypy accepted load(42) on the installed module" >&2
  exit 1
fi
if ! grep -q 'Argument 1 to "load" of "TarnevoLoader" has incompatible type "int"' <<<"$wrong"; then
  echo "mypy did not report the wrong argument type as expected: $wrong" >&2
  exit 1
fi

cd "$work"
TARNEVO_EXPECT_INSTALLED_UNDER="$work/venv" PYTHONDONTWRITEBYTECODE=1 \
  "$venv_python" -m pytest -q -p no:cacheprovider "$repo/tests/python"
