#!/usr/bin/env bash
# Cross-builds the Windows program with mingw-w64: build-windows/src/wirenote.exe,
# and, unless BUILD_TESTING=OFF, its tests: the unit test programs (with
# GoogleTest built from /usr/src/googletest) and, in build-windows/tests/wine,
# the netapi32.dll test double and the helpers the end-to-end cases use.
#
#   scripts/build-windows.sh [build-dir]     (default: build-windows)
#
# Needs: cmake, ninja, g++-mingw-w64-x86-64-win32; googletest for the tests.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build-windows}

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DWIRENOTE_WERROR="${WIRENOTE_WERROR:-OFF}" \
  -DBUILD_TESTING="${BUILD_TESTING:-ON}"
cmake --build "$build"
