#!/usr/bin/env bash
# Uses tarnevo the ways other projects do, in a scratch directory:
#   consumer_test.sh installed BUILD_DIR   install BUILD_DIR, then build a C++ program with
#                                          find_package(tarnevo) + tarnevo::tarnevo and a C one
#                                          with tarnevo::c, and run both
#   consumer_test.sh embedded SOURCE_DIR   add_subdirectory the source tree into a project;
#                                          no test target may appear; build and run its program
set -euo pipefail
mode=$1
where=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# en and fr at the top of the directory, and a YAML file of fr's under the namespace "extra".
mkdir -p "$scratch/locales/fr"
printf '{"nav": {"home": "Home", "back": "Back"}}' >"$scratch/locales/en.json"
printf '{"nav": {"home": "Accueil"}}' >"$scratch/locales/fr.json"
printf 'note: Bonjour\n' >"$scratch/locales/fr/extra.yaml"
expected='Accueil {"extra":{"note":"Bonjour"},"nav":{"back":"Back","home":"Accueil"}}'

configure() {  # configure SOURCE BUILD [ARGS...]
  local source=$1 build=$2
  shift 2
  cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >"$build.log" 2>&1 ||
    { cat "$build.log"; exit 1; }
}

check_output() {  # check_output PROGRAM EXPECTED
  local output
  output=$("$1" "$scratch/locales")
  if [ "$output" != "$2" ]; then
    echo "$1 printed: $output" >&2
    echo "expected:   $2" >&2
    exit 1
  fi
}

case "$mode" in
  installed)
    cmake --install "$where" --prefix "$scratch/prefix" >/dev/null
    configure "$here/cpp_app" "$scratch/cpp" -DCMAKE_PREFIX_PATH="$scratch/prefix"
    cmake --build "$scratch/cpp" >/dev/null
    check_output "$scratch/cpp/app" "$expected"
    configure "$here/c_app" "$scratch/c" -DCMAKE_PREFIX_PATH="$scratch/prefix" \
      -DAPP_SOURCE="$here/../c/pkg_config_app.c"
    cmake --build "$scratch/c" >/dev/null
    en=$("$scratch/c/app" "$scratch/locales")
    test "$en" = '{"nav":{"back":"Back","home":"Home"}}' ||
      { echo "C program printed: $en" >&2; exit 1; }
    ;;
  embedded)
    configure "$here/embed" "$scratch/embed" -DTARNEVO_SOURCE_DIR="$where"
    cmake --build "$scratch/embed" --target app >/dev/null
    check_output "$scratch/embed/app" "$expected"
    ;;
  *)
    echo "usage: $0 installed BUILD_DIR | embedded SOURCE_DIR" >&2
    exit 2
    ;;
esac
