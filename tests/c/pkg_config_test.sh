#!/usr/bin/env bash
# Installs the C library into a scratch prefix and builds a program the way users do:
#   cc app.c $(pkg-config --cflags --libs tarnevo)
set -euo pipefail
build_dir=$1
source_dir=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cmake --install "$build_dir" --prefix "$scratch/prefix" >/dev/null
export PKG_CONFIG_PATH=$(dirname "$(find "$scratch/prefix" -name tarnevo.pc)")
cc -std=c99 -Wall -Werror -o "$scratch/app" "$source_dir/pkg_config_app.c" $(pkg-config --cflags --libs tarnevo)

mkdir "$scratch/locales"
printf '{"hello": "world"}' >"$scratch/locales/en.json"
output=$(LD_LIBRARY_PATH="$(pkg-config --variable=libdir tarnevo)" "$scratch/app" "$scratch/locales")
test "$output" = '{"hello":"world"}' || { echo "unexpected output: $output"; exit 1; }
