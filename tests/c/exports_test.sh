#!/usr/bin/env bash
# A shared library must export exactly the intended symbols.
#   exports_test.sh LIBRARY SYMBOL...
set -euo pipefail
library=$1
shift
actual=$(nm -D --defined-only "$library" | awk '{print $3}' | sort)
expected=$(printf '%s\n' "$@" | sort)
if [ "$actual" != "$expected" ]; then
  echo "exported symbols of $library differ"
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
