#!/usr/bin/env bash
# Runs each fuzz target for a bounded time, one after another at the lowest CPU priority:
#   scripts/run-fuzzers.sh [SECONDS] [TARGET...]
# SECONDS defaults to 60 (or FUZZ_SECONDS); targets default to all. Each target starts from its
# committed seeds (fuzz/corpus/<target>) and the inputs found by earlier runs (fuzz/out/<target>/
# corpus, not committed). A crash, leak, timeout or broken promise stops the run with an error;
# its input is saved in fuzz/out/<target>/ and can be replayed with build-fuzz/fuzz_<target> FILE.
# Executions and time per run are appended to fuzz/out/<target>/runs.log.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${FUZZ_BUILD:-build-fuzz}
seconds=${1:-${FUZZ_SECONDS:-60}}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(json_reader yaml_reader toml_reader json_round_trip loader)

# The loader target writes a small directory per input: on a memory file system when there is
# one, which is several times faster than a disk.
scratch=${TMPDIR:-/tmp}
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then scratch=/dev/shm; fi

for target in "${targets[@]}"; do
  binary="$BUILD_DIR/fuzz_$target"
  out="fuzz/out/$target"
  mkdir -p "$out/corpus"
  echo "fuzz: $target for ${seconds}s"
  log="$out/last-run.log"
  status=0
  # -timeout: one input taking this long is a finding (a hang); -rss_limit_mb likewise for memory.
  TMPDIR="$scratch" nice -n 19 "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$out/" "$out/corpus" "fuzz/corpus/$target" \
    >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  echo "$(date -u +%FT%TZ) seconds=$seconds executions=${runs:-?} status=$status" >>"$out/runs.log"
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$log"
    echo "fuzz: $target found a problem (exit $status); inputs in $out/" >&2
    exit 1
  fi
  echo "fuzz: $target ok, ${runs:-?} executions"
done
