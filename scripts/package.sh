#!/usr/bin/env bash
# Builds the Debian package quillmark_VERSION_ARCH.deb from a Release build in build/package
# and prints its path. Needs scdoc (manual pages), dpkg-dev (dpkg-shlibdeps) and gzip.
set -euo pipefail
cd "$(dirname "$0")/.."
for tool in scdoc dpkg-shlibdeps dpkg-buildflags gzip; do
  command -v "$tool" >/dev/null || { echo "package.sh: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done
build=build/package

# Debian's hardening flags (stack protector, fortify, full RELRO, now-binding).
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CFLAGS="$CPPFLAGS $CFLAGS" CXXFLAGS="$CPPFLAGS $CXXFLAGS" # CMake does not read CPPFLAGS
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DQUILLMARK_BUILD_TESTS=OFF -DQUILLMARK_BUILD_BENCH=OFF -DQUILLMARK_BUILD_FUZZ=OFF \
  "${launcher[@]}" >/dev/null
cmake --build "$build" >&2 # stdout carries only the package path
if ! log=$(cd "$build" && cpack -G DEB 2>&1); then echo "$log" >&2; exit 1; fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$build/quillmark_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { echo "package.sh: CPack made no $deb" >&2; exit 1; }
echo "$deb"
