#!/usr/bin/env bash
# Sets up, builds and runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
out=${TMPDIR:-/tmp}/quillmark-sample.csv
./build/default/src/cli/quillmark-cli export tests/data/sample.smpq --format csv -o "$out"
echo "Exported the sample recording to $out:"
head -n 5 "$out"
