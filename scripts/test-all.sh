#!/usr/bin/env bash
# Every test: the Linux build, the same tests under ASan+UBSan, the Windows
# build under Wine, and a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

echo "== Linux build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== ASan+UBSan build and tests"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DWIRENOTE_SANITIZE=ON
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE interop

echo "== Windows build under Wine"
bash scripts/test-windows.sh build-windows

echo "== Fuzz targets, ${WIRENOTE_FUZZ_SECONDS:-20} s each"
bash fuzz/run.sh "${WIRENOTE_FUZZ_SECONDS:-20}"
