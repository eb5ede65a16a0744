#!/bin/sh
# Builds the program and its benchmarks, then prints one table: every path
# of a whole run against its floor, as ratios, with peak resident memory;
# then the message-file reading benchmark (2 KB against 8 GiB sparse).
# The send rows need root (the receiver listens on 127.0.0.1:139).
#
# usage: bench/compare.sh [RUNS]        (default 200 runs of each path)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-bench
runs=${1:-200}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target wirenote wirenote_compare empty_process exchange_process peak_rss \
  message_file_bench >/dev/null

"$build/bench/wirenote_compare" "$build/src/wirenote" "$build/bench/empty_process" \
  "$build/bench/exchange_process" \
  "$build/bench/peak_rss" "$runs"
echo
"$build/bench/message_file_bench" 2>/dev/null | grep -E "^median" || true
