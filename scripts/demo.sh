#!/bin/bash
# Shows the whole job on one machine: starts a Samba receiver (smbd and nmbd)
# on a private LAN of network namespaces, sends samples/hello-sjis.txt to it
# by its NetBIOS name with the built wirenote, and prints what wirenote said
# and what the receiver got. Everything it starts is stopped and removed again.
#
# Usage: sudo scripts/demo.sh [PATH-TO-WIRENOTE]   (default: build/src/wirenote)
# Needs root and the Debian packages samba and iproute2.
set -u
export PATH=$PATH:/usr/sbin:/sbin

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
program=${1:-$root/build/src/wirenote}
sample=$root/samples/hello-sjis.txt

[ -x "$program" ] || { echo "no wirenote at $program: build it first, or name it" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "the demo needs root: it creates network namespaces" >&2; exit 1; }
for tool in ip ss smbd nmbd python3 unshare iconv; do
  command -v "$tool" >/dev/null ||
    { echo "$tool is missing: apt-get install samba iproute2" >&2; exit 1; }
done
WN_WIRENOTE=$(realpath "$program")

# shellcheck source=../tests/interop/receiver.sh
source "$root/tests/interop/receiver.sh"
trap wn_cleanup EXIT
trap 'exit 130' INT TERM HUP

echo "Starting receiver WNRECV ($WN_NET.1): smbd and nmbd in a network namespace of their own..."
wn_lan_init "demo$$" &&
  wn_receiver_add recv WNRECV "$WN_NET.1" on &&
  wn_receivers_wait || { echo "the receiver did not start" >&2; exit 1; }
echo "Receiver ready; it answers broadcast name queries for WNRECV<03>."
echo

echo "Message file samples/hello-sjis.txt (Shift_JIS, CR LF), shown as UTF-8:"
iconv -f CP932 -t UTF-8 "$sample" | tr -d '\r' | sed 's/^/  | /'
echo

echo "\$ wirenote WNRECV samples/hello-sjis.txt      (on host $WN_SENDER_HOSTNAME, $WN_SENDER_IP)"
wn_send WNRECV "$sample" "$WN_WORK/said"
printf '  wirenote wrote: '
iconv -f CP932 -t UTF-8 "$WN_WORK/said"
printf '\n  exit status: %s\n\n' "$WN_STATUS"

inbox=$(wn_inbox recv)
got=("$inbox"/*.txt)
if [ ! -e "${got[0]}" ]; then
  echo "The receiver got no message."
  exit 1
fi
names=${got[0]%.txt}.names
echo "The receiver's message command got a message:"
echo "  from: $(sed -n 's/^originator=//p' "$names") (calling name $(sed -n 's/^calling=//p' "$names"))"
echo "  to:   $(sed -n 's/^called=//p' "$names")"
echo "  text (UTF-8):"
sed 's/^/  | /' "${got[0]}"
