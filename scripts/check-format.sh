#!/usr/bin/env bash
# Fails when a C++ file differs from what clang-format makes of it.
set -u
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h' | grep -v '^tests/data/')
[ -z "$files" ] && exit 0
clang-format --dry-run --Werror $files
