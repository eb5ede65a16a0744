#!/usr/bin/env bash
# Every test: the Linux build, the same tests under ASan+UBSan, the Windows
# build under Wine, and a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

echo "== Linux build and tests"
# Warnings are errors here, and only here: a user's build never fails on one.
cmake --preset ci
cmake --build --preset ci -j "$jobs"
ctest --preset ci -j "$jobs"

echo "== ASan+UBSan build and tests"
cmake --preset sanitize
cmake --build --preset sanitize -j "$jobs"
ctest --preset sanitize -j "$jobs"

echo "== Windows build under Wine"
WIRENOTE_WERROR=ON bash scripts/test-windows.sh build-windows

echo "== Fuzz targets, ${WIRENOTE_FUZZ_SECONDS:-20} s each"
WIRENOTE_WERROR=ON bash fuzz/run.sh "${WIRENOTE_FUZZ_SECONDS:-20}"
