#!/bin/sh
# Runs every fuzzer of a fuzz build for a bounded time, starting from the checked-in
# seed corpora (copied, so the repository's seeds stay as they are), and prints one
# line per fuzzer: executions, coverage and features reached.
# Usage: tools/run-fuzzers.sh BUILD_DIR SECONDS_EACH
set -eu
build=$1
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
printf '%-18s %12s %8s %8s %s\n' fuzzer executions cov ft result
for seeds in "$root"/tests/fuzz/corpus/*/; do
  name=$(basename "$seeds")
  corpus="$build/fuzz-corpus/$name"
  mkdir -p "$corpus" "$build/fuzz-artifacts"
  cp -n "$seeds"* "$corpus"/ 2>/dev/null || true
  log="$build/fuzz-$name.log"
  if "$build/tests/fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$build/fuzz-artifacts/$name-" -timeout=10 -rss_limit_mb=3072 \
      "$corpus" > "$log" 2>&1; then
    result=ok
  else
    result="FAILED (see $log)"
    status=1
  fi
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  printf '%-18s %12s %8s %8s %s\n' "$name" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$result"
done
exit $status
