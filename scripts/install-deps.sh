#!/usr/bin/env bash
# Installs what building and testing tarnevo needs, and only what is missing, so running it
# again costs a few checks. Used by every make target that builds.
set -euo pipefail

debian_packages=(libyaml-dev libgtest-dev pkg-config valgrind)
python_modules=(pytest hypothesis mypy pre-commit)
extra_debian=()
extra_python=()
for arg in "$@"; do
  case "$arg" in
    --fuzz) extra_debian+=(clang libclang-rt-14-dev) ;;
    --lint) extra_debian+=(clang-format clang-tidy) ;;
    --bench) extra_python+=(orjson PyYAML msgspec yaml-rs toml-rs) ;;
    *) echo "install-deps: unknown option $arg" >&2; exit 2 ;;
  esac
done
debian_packages+=("${extra_debian[@]}")
# The Python module is compiled against the interpreter's headers, and the wheel test installs
# into a virtual environment; Debian ships both apart from python3 itself.
if ! python3 -c 'import os, sysconfig; exit(not os.path.exists(os.path.join(sysconfig.get_paths()["include"], "Python.h")))' 2>/dev/null; then
  debian_packages+=(python3-dev)
fi
python3 -c 'import ensurepip, venv' >/dev/null 2>&1 || debian_packages+=(python3-venv)

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
if command -v cmake >/dev/null 2>&1; then
  version_at_least "$(cmake --version | head -n1 | awk '{print $3}')" 3.26 && cmake_ok=true
fi
command -v ninja >/dev/null 2>&1 || missing+=(ninja-build)

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

pip_wanted=()
$cmake_ok || pip_wanted+=("cmake>=3.26")
for module in "${python_modules[@]}" "${extra_python[@]}"; do
  case "$module" in
    PyYAML) import_name=yaml ;;
    *) import_name="${module//-/_}" ;;  # yaml-rs imports as yaml_rs
  esac
  python3 -c "import $import_name" >/dev/null 2>&1 || pip_wanted+=("$module")
done
if [ ${#pip_wanted[@]} -gt 0 ]; then
  echo "install-deps: pip installing ${pip_wanted[*]}"
  pip_flags=(--quiet --disable-pip-version-check)
  # A distribution's own interpreter may refuse pip outside a virtual environment; these are
  # test tools only, so install them anyway.
  if python3 -c 'import sys, sysconfig, os; sys.exit(not os.path.exists(os.path.join(sysconfig.get_paths()["stdlib"], "EXTERNALLY-MANAGED")))'; then
    pip_flags+=(--break-system-packages)
  fi
  python3 -m pip install "${pip_flags[@]}" "${pip_wanted[@]}"
fi
