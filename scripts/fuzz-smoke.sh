#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each briefly from its seed corpus.
# Any sanitizer report ends the run with a failure: undefined behaviour is built not to
# recover, and the options below make a report abort as well.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-15}
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
for exe in build/fuzz/fuzz/fuzz_*; do
  name=$(basename "$exe"); name=${name#fuzz_}; name=${name%_file}
  work=$(mktemp -d)
  cp fuzz/corpus/"$name"/* "$work"/ 2>/dev/null || true
  echo "fuzzing $(basename "$exe") for ${seconds}s"
  if ! "$exe" "$work" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
      >"$work.log" 2>&1; then
    tail -n 40 "$work.log"
    echo "FAILED: $(basename "$exe")"
    rm -rf "$work" "$work.log"
    exit 1
  fi
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)|^Done ' "$work.log" || tail -n 1 "$work.log"
  rm -rf "$work" "$work.log"
done
