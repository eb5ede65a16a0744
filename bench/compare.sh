#!/bin/bash
# Builds the program and its benchmarks, then prints two tables:
#  1. every path of a whole run against its floor, as ratios, with peak
#     resident memory; then the message-file reading benchmark (2 KB against
#     8 GiB sparse). The send rows need root (the receiver listens on
#     127.0.0.1:139).
#  2. wirenote side by side with `smbclient -M`, both sending the same
#     messages to the same real smbd (tests/interop/receiver.sh: smbd and
#     nmbd in a network namespace), as ratios of wall time, CPU time and
#     peak memory. Needs root and the packages samba and smbclient; without
#     them it is left out, and says so.
#
# usage: bench/compare.sh [RUNS [ROUNDS]]
#   RUNS    runs of each path in table 1 (default 1000)
#   ROUNDS  rounds of table 2, every send of both programs once a round
#           (default 100)
set -eu
export PATH=$PATH:/usr/sbin:/sbin
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build-bench
runs=${1:-1000}
rounds=${2:-100}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j2 --target wirenote wirenote_compare empty_process exchange_process \
  peak_rss message_file_bench child_usage peer_compare >/dev/null

"$build/bench/wirenote_compare" "$build/src/wirenote" "$build/bench/empty_process" \
  "$build/bench/exchange_process" \
  "$build/bench/peak_rss" "$runs"
echo
"$build/bench/message_file_bench" 2>/dev/null | grep -E "^median" || true
echo

peer_left_out() {
  echo "(wirenote vs smbclient -M left out: $*)"
  exit 0
}
[ "$(id -u)" -eq 0 ] || peer_left_out "it needs root, for the receiver's network namespaces"
for tool in ip ss smbd nmbd smbclient python3 iconv; do
  command -v "$tool" >/dev/null ||
    peer_left_out "$tool is not installed (packages: samba, smbclient, iproute2, python3)"
done

# shellcheck source-path=SCRIPTDIR/.. source=tests/interop/receiver.sh
source "$root/tests/interop/receiver.sh"
trap wn_cleanup EXIT
trap 'exit 130' INT TERM HUP
echo "wirenote vs smbclient -M: starting receiver WNRECV (smbd + nmbd, $WN_NET.1)..."
if ! { wn_lan_init "bench$$" && wn_receiver_add recv WNRECV "$WN_NET.1" on && wn_receivers_wait; }; then
  echo "the receiver did not start" >&2
  exit 1
fi

# Each message as wirenote reads it (.txt, CR LF), as smbclient reads it
# (.lf: it puts a CR before every LF itself) and as the receiver's message
# command must get it (.expected: UTF-8, LF).
messages=$WN_WORK/messages
mkdir -p "$messages"
cp "$root/samples/hello-sjis.txt" "$messages/sample.txt"
# The longest text of whole lines both send uncut (wirenote cuts at 1600
# bytes, smbclient a few bytes sooner): 33 lines of 48 bytes.
for ((i = 0; i < 33; i++)); do
  printf 'line %02d of the message, with words to fill it.\r\n' "$i"
done >"$messages/ascii.txt"
for m in sample ascii; do
  tr -d '\r' <"$messages/$m.txt" >"$messages/$m.lf"
  iconv -f CP932 -t UTF-8 "$messages/$m.lf" >"$messages/$m.expected"
done

# On the sender host, with a /run of its own: smbclient keeps its cache
# under /run/samba, which must be neither the machine's nor the receiver's.
echo "$rounds rounds, the sends in a new order every round; medians of the runs that delivered:"
echo
ip netns exec "$WN_SEND_NS" sh -c '
  mount -t tmpfs -o mode=0755,size=8m wn-run /run && mkdir -p /run/samba &&
  exec env LC_ALL=C "$@"' sh \
  "$build/bench/peer_compare" "$build/bench/child_usage" "$build/src/wirenote" \
  "$(command -v smbclient)" WNRECV "$WN_NET.1" "$(wn_inbox recv)" "$rounds" \
  "Shift_JIS sample ($(wc -c <"$messages/sample.txt") B)=$messages/sample" \
  "ASCII, 33 lines ($(wc -c <"$messages/ascii.txt") B)=$messages/ascii"
