#!/usr/bin/env bash
# Uses tarnevo the ways other projects do, in a scratch directory:
#   consumer_test.sh installed SOURCE_DIR  run the README's C and C++ install steps as written,
#                                          on a copy of the source tree with a fresh build
#                                          directory and HOME in the scratch directory, then
#                                          build a C program with find_package + tarnevo::c
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
    readme="$where/README.md"
    block() {  # the README's code block marked <!-- consumer.installed: NAME -->
      local text
      text=$(awk -v mark="<!-- consumer.installed: $1 -->" '
        $0 == mark { state = 1; next }
        state == 1 && /^```/ { state = 2; next }
        state == 2 && /^```$/ { exit }
        state == 2 { print }' "$readme")
      [ -n "$text" ] || { echo "README.md has no block marked $1" >&2; exit 1; }
      printf '%s\n' "$text"
    }
    run_block() {  # run_block NAME DIR: the block's commands, as a user types them, in DIR;
      # prints the last two lines of their output (the program's, which runs last)
      echo "+ ($2) README block $1" >&2
      (cd "$2" && bash -euo pipefail -c "$(block "$1")") >"$scratch/$1.log" 2>&1 ||
        { cat "$scratch/$1.log" >&2; exit 1; }
      tail -n 2 "$scratch/$1.log"
    }
    export HOME="$scratch/home"
    mkdir -p "$HOME" "$scratch/source" "$scratch/cpp_user"
    unset LD_LIBRARY_PATH PKG_CONFIG_PATH CMAKE_PREFIX_PATH
    # The README's tarnevo source directory: the tree as it is, without build directories.
    tar -C "$where" --exclude='./build*' --exclude=./.git --exclude='./.venv*' --exclude=./dist \
      -cf - . | tar -C "$scratch/source" -xf -
    if command -v ccache >/dev/null; then export CMAKE_CXX_COMPILER_LAUNCHER=ccache; fi
    run_block install "$scratch/source" >/dev/null

    installed_tarnevo="$HOME/.local/bin/tarnevo"
    fr_json=$(cd "$scratch/source" && "$installed_tarnevo" load examples/locales fr)
    block app.c >"$scratch/source/app.c"
    c_out=$(run_block c-build "$scratch/source")
    test "$c_out" = "$(printf '["de","en","fr"]\n%s' "$fr_json")" ||
      { echo "the README's C program printed: $c_out" >&2; exit 1; }

    block app.cpp >"$scratch/cpp_user/app.cpp"
    block CMakeLists.txt >"$scratch/cpp_user/CMakeLists.txt"
    ln -s "$scratch/source/examples" "$scratch/cpp_user/examples"
    cpp_out=$(run_block cpp-build "$scratch/cpp_user")
    test "$cpp_out" = "$(printf 'Bonjour, {name} !\n%s' "$fr_json")" ||
      { echo "the README's C++ program printed: $cpp_out" >&2; exit 1; }

    # The same install used through CMake by a C program (tarnevo::c).
    configure "$here/c_app" "$scratch/c" -DCMAKE_PREFIX_PATH="$HOME/.local" \
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
    echo "usage: $0 installed|embedded SOURCE_DIR" >&2
    exit 2
    ;;
esac
