#!/usr/bin/env bash
# Cross-builds the Windows program with mingw-w64: build-windows/src/wirenote.exe,
# and beside it in build-windows/tests/wine the netapi32.dll test double and the
# file-holding helper that the Wine tests use.
#
#   scripts/build-windows.sh [build-dir]     (default: build-windows)
#
# Needs: cmake, ninja, g++-mingw-w64-x86-64-win32.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build-windows}

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DWIRENOTE_WERROR="${WIRENOTE_WERROR:-OFF}"
cmake --build "$build"
