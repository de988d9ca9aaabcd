#!/usr/bin/env bash
# Builds both programs from this tree: build/ (Linux) and build-win/ (Windows i686, MinGW-w64).
# Usage: scripts/build.sh [linux|windows|all]   (default: all)
set -euo pipefail
cd "$(dirname "$0")/.."
what=${1:-all}
jobs=$(nproc 2>/dev/null || echo 2)
# ccache keeps rebuilds of unchanged files cheap across the build directories.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

if [ "$what" = linux ] || [ "$what" = all ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIRELITH_BENCH=ON "${launcher[@]}" ${MIRELITH_CMAKE_ARGS:-} >/dev/null
  cmake --build build -j"$jobs"
fi
if [ "$what" = windows ] || [ "$what" = all ]; then
  cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
        -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" ${MIRELITH_CMAKE_ARGS:-} >/dev/null
  cmake --build build-win -j"$jobs"
fi
