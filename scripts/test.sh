#!/usr/bin/env bash
# Sets up, builds and runs every test (the README's test command).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default --timeout 300 -j2
