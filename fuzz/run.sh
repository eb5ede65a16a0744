#!/bin/bash
# Builds the fuzz targets with clang and runs each for SECONDS seconds
# (default 20) on its seed corpus; fails on the first crash, leak or
# sanitizer report. Usage: fuzz/run.sh [SECONDS] [TARGET...]
set -euo pipefail
seconds=${1:-20}
shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
build=${WIRENOTE_FUZZ_BUILD:-$root/build-fuzz}

cmake -S "$root" -B "$build" -G Ninja -DWIRENOTE_FUZZ=ON -DBUILD_TESTING=OFF \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DWIRENOTE_WERROR="${WIRENOTE_WERROR:-OFF}" >/dev/null
mapfile -t targets < <(if [ $# -gt 0 ]; then printf '%s\n' "$@"; else cat "$build/fuzzers.txt"; fi)
cmake --build "$build" --target "${targets[@]}"

for target in "${targets[@]}"; do
  # New inputs go to a scratch corpus; the committed seeds stay as they are.
  work=$build/corpus/$target
  mkdir -p "$work" "$build/artifacts/$target"
  seeds=$root/fuzz/corpus/$target
  echo "== $target: ${seconds}s"
  "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$target/" "$work" "$seeds" 2>"$build/$target.log" || {
    tail -n 60 "$build/$target.log"
    echo "FAIL: $target (log: $build/$target.log)" >&2
    exit 1
  }
  grep -E '^stat::number_of_executed_units' "$build/$target.log" || true
done
echo "all fuzz targets ran without a finding"
