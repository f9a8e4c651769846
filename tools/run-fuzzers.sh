#!/bin/sh
# Runs every fuzzer of a fuzz build for a bounded time, starting from the checked-in
# seed corpora (copied, so the repository's seeds stay as they are), and prints one
# line per fuzzer: its seed, executions, coverage and features reached.
# Each fuzzer gets a fixed seed derived from its name, so a CI failure replays with the
# same command; --explore lets libFuzzer pick fresh seeds instead.
# Usage: tools/run-fuzzers.sh BUILD_DIR SECONDS_EACH [--explore]
set -eu
build=$1
seconds=$2
explore=${3:-}
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
printf '%-18s %10s %12s %8s %8s %s\n' fuzzer seed executions cov ft result
for seeds in "$root"/tests/fuzz/corpus/*/; do
  name=$(basename "$seeds")
  corpus="$build/fuzz-corpus/$name"
  mkdir -p "$corpus" "$build/fuzz-artifacts"
  cp -n "$seeds"* "$corpus"/ 2>/dev/null || true
  log="$build/fuzz-$name.log"
  if [ "$explore" = --explore ]; then
    seed=0  # libFuzzer's own random seed
  else
    seed=$(printf '%s' "$name" | cksum | cut -d' ' -f1)
  fi
  if "$build/tests/fuzz/$name" -seed="$seed" -max_total_time="$seconds" -print_final_stats=1 \
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
  [ "$seed" = 0 ] && seed=$(sed -n 's/.*Seed: \([0-9]*\).*/\1/p' "$log" | head -n 1)
  printf '%-18s %10s %12s %8s %8s %s\n' "$name" "${seed:-?}" "${execs:-?}" "${cov:-?}" "${ft:-?}" \
    "$result"
done
exit $status
