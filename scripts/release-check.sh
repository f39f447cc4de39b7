#!/usr/bin/env bash
# Checks what can be checked here of the release workflow: cibuildwheel would build exactly the
# intended wheels for Linux and macOS, and actionlint finds nothing in the workflow.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
venv="${TARNEVO_VENV:-$repo/.venv}"
cd "$repo"

expected="cp39-manylinux_x86_64
cp39-manylinux_aarch64
cp39-musllinux_x86_64
cp39-macosx_x86_64
cp39-macosx_arm64"
listed=$(for platform in linux macos; do
  "$venv/bin/cibuildwheel" --print-build-identifiers --platform "$platform"
done)
if [ "$listed" != "$expected" ]; then
  printf 'cibuildwheel would build:\n%s\nexpected:\n%s\n' "$listed" "$expected" >&2
  exit 1
fi
echo "cibuildwheel builds: $(echo $listed)"
"$venv/bin/actionlint" .github/workflows/release.yml
echo "actionlint: .github/workflows/release.yml has no findings"
