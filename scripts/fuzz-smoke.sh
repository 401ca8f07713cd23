#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each briefly from its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-15}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
for exe in build/fuzz/fuzz/fuzz_*; do
  name=$(basename "$exe"); name=${name#fuzz_}; name=${name%_file}
  work=$(mktemp -d)
  cp fuzz/corpus/"$name"/* "$work"/ 2>/dev/null || true
  echo "fuzzing $(basename "$exe") for ${seconds}s"
  "$exe" "$work" -max_total_time="$seconds" -max_len=4096 -print_final_stats=0 2>&1 | tail -n 1
  rm -rf "$work"
done
