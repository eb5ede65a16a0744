#!/bin/bash
# Sends real message files with the built wirenote to Samba receivers on a
# private LAN of network namespaces, and checks, for every case, the exact
# bytes wirenote wrote, its exit status, the text the receiver's message
# command got, and the names the receiver saw.
#
# Usage: run.sh PATH-TO-WIRENOTE
# Exit status: 0 all passed, 1 a failure, 77 skipped (no root or no receiver,
# and CI is not "true": in CI those are failures).
set -u
export PATH=$PATH:/usr/sbin:/sbin

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

unavailable() {
  if [ "${CI:-}" = true ]; then
    echo "FAILED: $* (required in CI)"
    exit 1
  fi
  echo "SKIPPED: $*"
  exit 77
}

[ $# -eq 1 ] || { echo "usage: $0 PATH-TO-WIRENOTE" >&2; exit 1; }
[ -x "$1" ] || { echo "FAILED: no program at $1" >&2; exit 1; }
WN_WIRENOTE=$(realpath "$1")

[ "$(id -u)" -eq 0 ] || unavailable "the interop test needs root (network namespaces)"
for tool in ip ss smbd nmbd python3 unshare iconv timeout; do
  command -v "$tool" >/dev/null || unavailable "$tool is not installed (packages: iproute2, samba)"
done

# shellcheck source=receiver.sh
source "$here/receiver.sh"
trap wn_cleanup EXIT
trap 'exit 130' INT TERM HUP

wn_lan_init "$$" || { echo "FAILED: cannot create the sender namespace"; exit 1; }
wn_receiver_add recv WNRECV "$WN_NET.1" on || { echo "FAILED: cannot start receiver WNRECV"; exit 1; }
wn_receiver_add off WNOFF "$WN_NET.3" off || { echo "FAILED: cannot start receiver WNOFF"; exit 1; }
# A receiver of today: SMB1 refused (Samba's and Windows' default), so it takes
# the session and drops the connection at the first message command.
wn_receiver_add nosmb1 WNNOSMB1 "$WN_NET.4" on SMB2_02 ||
  { echo "FAILED: cannot start receiver WNNOSMB1"; exit 1; }
wn_receivers_wait || { echo "FAILED: receivers not ready"; exit 1; }

# ---- message files and what the receiver must get from them (UTF-8; smbd
# turns each CR LF back into LF and keeps a lone CR).
files=$WN_WORK/files
mkdir -p "$files"
cp "$here/../../samples/hello-sjis.txt" "$files/hello-sjis.txt"
cp "$here/data/hello-sjis.expected.txt" "$files/hello-sjis.expected"

to_cp932() { iconv -f UTF-8 -t CP932; }

# Every kind of line break, and no break after the last line: all of them
# must reach the wire as CR LF (a lone CR would survive smbd's conversion).
printf 'one\ntwo\rthree\r\nfour' >"$files/breaks.txt"
printf 'one\ntwo\nthree\nfour\n' >"$files/breaks.expected"

# 1599 bytes and a line break: the cut at 1600 falls between CR and LF.
{ head -c 1599 /dev/zero | tr '\0' x; printf '\nnever sent\n'; } >"$files/cut-cr.txt"
{ head -c 1599 /dev/zero | tr '\0' x; printf '\r'; } >"$files/cut-cr.expected"

# With every line break as CR LF: 3 + 72 lines of 22 bytes = 1587, so the cut
# leaves 6 characters and the lead byte of the 7th; a lone lead byte converts
# to U+30FB, which goes out as valid CP932.
line=あいうえおかきくけこ
{ printf 'x\n'; for ((i = 0; i < 80; i++)); do printf '%s\n' "$line"; done; } | to_cp932 >"$files/cut-dbcs.txt"
{ printf 'x\n'; for ((i = 0; i < 72; i++)); do printf '%s\n' "$line"; done; printf 'あいうえおか・'; } \
  >"$files/cut-dbcs.expected"

: >"$files/empty.txt"
: >"$files/empty.expected"

# ---- the status texts wirenote writes (code page 932, no line break)
status_bytes() {
  case $1 in
    Sent) printf '\xd2\xaf\xbe\xb0\xbc\xde\x82\xcd\x90\xb3\x8f\xed\x82\xc9\x91\x97\x90\x4d\x82\xb3\x82\xea\x82\xdc\x82\xb5\x82\xbd\x81\x42' ;;
    NotSupported) printf '\xd2\xaf\xbe\xb0\xbc\xde\x82\xcc\x91\x97\x90\x4d\x82\xcd\xbb\xce\xdf\xb0\xc4\x82\xb3\x82\xea\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1\x81\x42' ;;
    NameNotFound) printf '\x91\x97\x90\x4d\x90\xe6\x82\xcc\xba\xdd\xcb\xdf\xad\xb0\xc0\x96\xbc\x82\xaa\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81\x42' ;;
    *) echo "unknown outcome $1" >&2; return 1 ;;
  esac
}

# ---- the cases
# name | recipient | message file | outcome | text delivered to WNRECV (- none) | called name seen
# (198.51.100.001 would be WNRECV's address by the resolver's octal rules, and
# 0.0.0.0 this host: neither is a recipient.)
cases='
sjis-by-name        | WNRECV        | hello-sjis.txt | Sent         | hello-sjis.expected | wnrecv
sjis-by-lower-name  | wnrecv        | hello-sjis.txt | Sent         | hello-sjis.expected | wnrecv
sjis-by-address     | 198.51.100.1  | hello-sjis.txt | Sent         | hello-sjis.expected | wnrecv
line-breaks         | WNRECV        | breaks.txt     | Sent         | breaks.expected     | wnrecv
cut-between-cr-lf   | WNRECV        | cut-cr.txt     | Sent         | cut-cr.expected     | wnrecv
cut-inside-char     | WNRECV        | cut-dbcs.txt   | Sent         | cut-dbcs.expected   | wnrecv
empty-file          | WNRECV        | empty.txt      | Sent         | empty.expected      | wnrecv
messages-off        | WNOFF         | hello-sjis.txt | NotSupported | -                   | -
messages-off-by-ip  | 198.51.100.3  | hello-sjis.txt | NotSupported | -                   | -
unknown-name        | WNNOBODY      | hello-sjis.txt | NameNotFound | -                   | -
smb1-refused        | WNNOSMB1      | hello-sjis.txt | NotSupported | -                   | -
smb1-refused-by-ip  | 198.51.100.4  | hello-sjis.txt | NotSupported | -                   | -
leading-zeros       | 198.51.100.001| hello-sjis.txt | NameNotFound | -                   | -
unspecified-address | 0.0.0.0       | hello-sjis.txt | NameNotFound | -                   | -
lan-broadcast       | 198.51.100.255| hello-sjis.txt | NameNotFound | -                   | -
'

passed=0
failed=0
inbox=$(wn_inbox recv)
out=$WN_WORK/stdout
want=$WN_WORK/want

show_difference() {  # what we wanted, what we got
  echo "    wanted:"; od -An -c "$1" | head -n 8 | sed 's/^/      /'
  echo "    got:"; od -An -c "$2" | head -n 8 | sed 's/^/      /'
}

trim() { local s=$1; s=${s#"${s%%[![:space:]]*}"}; printf '%s' "${s%"${s##*[![:space:]]}"}"; }

while IFS='|' read -r name recipient file outcome text called; do
  name=$(trim "$name")
  [ -n "$name" ] || continue
  recipient=$(trim "$recipient") file=$(trim "$file") outcome=$(trim "$outcome")
  text=$(trim "$text") called=$(trim "$called")
  problems=()

  rm -f "$inbox"/*
  wn_send "$recipient" "$files/$file" "$out"

  [ "$WN_STATUS" -eq 0 ] || problems+=("exit status $WN_STATUS, wanted 0")
  status_bytes "$outcome" >"$want"
  if ! cmp -s "$want" "$out"; then
    problems+=("standard output is not Msg$outcome")
  fi

  delivered=("$inbox"/*.txt)
  [ -e "${delivered[0]}" ] || delivered=()
  if [ "$text" = - ]; then
    [ ${#delivered[@]} -eq 0 ] || problems+=("the receiver got ${#delivered[@]} message(s), wanted none")
  elif [ ${#delivered[@]} -ne 1 ]; then
    problems+=("the receiver got ${#delivered[@]} messages, wanted 1")
  else
    if ! cmp -s "$files/$text" "${delivered[0]}"; then
      problems+=("the receiver got other text than $text")
      show_difference "$files/$text" "${delivered[0]}" >"$WN_WORK/difference"
    fi
    names=${delivered[0]%.txt}.names
    seen_called=$(sed -n 's/^called=//p' "$names")
    seen_originator=$(sed -n 's/^originator=//p' "$names")
    seen_calling=$(sed -n 's/^calling=//p' "$names")
    [ "$seen_called" = "$called" ] || problems+=("called name seen '$seen_called', wanted '$called'")
    [ "$seen_originator" = "${WN_SENDER_HOSTNAME^^}" ] ||
      problems+=("originator seen '$seen_originator', wanted '${WN_SENDER_HOSTNAME^^}'")
    [ "$seen_calling" = "$WN_SENDER_HOSTNAME" ] ||
      problems+=("calling name seen '$seen_calling', wanted '$WN_SENDER_HOSTNAME'")
  fi

  if [ ${#problems[@]} -eq 0 ]; then
    echo "ok - $name"
    passed=$((passed + 1))
  else
    echo "not ok - $name"
    for p in "${problems[@]}"; do echo "    $p"; done
    if [ -s "$WN_WORK/difference" ]; then cat "$WN_WORK/difference"; fi
    rm -f "$WN_WORK/difference"
    echo "    standard output: $(od -An -tx1 "$out" | tr -d '\n' | head -c 200)"
    failed=$((failed + 1))
  fi
done <<<"$cases"

if [ "$failed" -ne 0 ]; then wn_dump_logs; fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
