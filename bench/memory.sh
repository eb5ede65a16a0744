#!/bin/sh
# Prints the peak resident memory of whole runs of the program on a 2 KB
# message file and on an 8 GiB sparse one that starts with the same text.
# Goal: at most 4 MiB each.
#
# usage: bench/memory.sh [BUILD_DIR [RECIPIENT]]
# BUILD_DIR holds the built program and bench/peak_rss (default: build).
# RECIPIENT is where the runs send the message; the default is a name too
# long for any computer, which fails at once without the network.
set -eu

build=${1:-build}
recipient=${2:-no-such-recipient-name-at-all}
program=$build/src/wirenote
peak_rss=$build/bench/peak_rss
for tool in "$program" "$peak_rss"; do
  if [ ! -x "$tool" ]; then
    echo "memory.sh: $tool is not built" >&2
    exit 2
  fi
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/wirenote-memory-XXXXXX")
trap 'rm -rf "$dir"' EXIT INT TERM

i=0
while [ "$i" -lt 40 ]; do
  echo "line $i of the message, with some words to fill it up to width"
  i=$((i + 1))
done | head -c 2048 > "$dir/small.txt"
cp "$dir/small.txt" "$dir/huge.txt"
truncate -s 8G "$dir/huge.txt"

baseline=$("$peak_rss" /bin/true 2>&1 >/dev/null)
small=$("$peak_rss" "$program" "$recipient" "$dir/small.txt" 2>&1 >/dev/null | tail -n 1)
huge=$("$peak_rss" "$program" "$recipient" "$dir/huge.txt" 2>&1 >/dev/null | tail -n 1)

echo "peak resident memory of a whole run (KiB; goal <= 4096):"
echo "  2 KB file:   $small"
echo "  8 GiB file:  $huge"
echo "  /bin/true, for scale: $baseline"
