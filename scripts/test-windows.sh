#!/usr/bin/env bash
# Builds the Windows program and its tests, and runs them under Wine: the
# unit tests of the portable code against the real <windows.h> and runtime
# (each test program once), the layering check, and the program end to end
# (tests/wine/run.sh). A failure under Wine fails the run.
#
#   scripts/test-windows.sh [build-dir]      (default: build-windows)
#
# Needs: cmake, ninja, g++-mingw-w64-x86-64-win32, googletest (the sources
# in /usr/src/googletest), wine, wine64 (never wine32) and the ja_JP.UTF-8
# locale (localedef -i ja_JP -f UTF-8 ja_JP.UTF-8). Without the cross
# compiler or Wine it skips, unless CI=true: then it fails.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build-windows}

if ! command -v x86_64-w64-mingw32-g++ >/dev/null; then
  if [[ ${CI:-} == true ]]; then
    echo "FAIL: x86_64-w64-mingw32-g++ is not installed (required with CI=true)" >&2
    exit 1
  fi
  echo "SKIPPED: x86_64-w64-mingw32-g++ is not installed" >&2
  exit 0
fi

"$root/scripts/build-windows.sh" "$build" || exit 1
if [[ ! -f $build/tests/wine/built_files.sh ]]; then
  # CMake found no GoogleTest sources, so it set up no tests.
  if [[ ${CI:-} == true ]]; then
    echo "FAIL: the Windows build has no tests: install googletest (required with CI=true)" >&2
    exit 1
  fi
  echo "SKIPPED: the Windows build has no tests: install googletest" >&2
  exit 0
fi
# Without Wine every test reports itself skipped (77), or failed with CI=true.
ctest --test-dir "$build" -j "$(nproc)" --output-on-failure
