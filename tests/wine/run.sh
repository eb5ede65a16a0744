#!/usr/bin/env bash
# Runs the Windows build of wirenote under Wine end to end and checks, byte
# for byte, what only the real program shows: the standard output it writes
# through a real handle (a pipe, a file, the null device, a pipe without a
# reader), its exit status, the DLLs it imports, what it hands the messenger
# service (a netapi32.dll test double), the system version check, the real
# file system and code page 932 conversions, and a file another process
# holds. The portable code's every case runs under Wine in the unit tests
# (ctest); here a few of each kind show that the real system gets there.
#
#   tests/wine/run.sh <build-dir>
#
# <build-dir> is a build configured with cmake/mingw-w64-x86_64.cmake. The
# texts expected come from the build itself: the catalogue's, and the failure
# report the unit tests expect (wirenote_expected_texts.exe). Exits 0 when
# every case passed and 1 when any failed. When Wine, the ja_JP.UTF-8 locale
# or the build is missing it exits 77 (skipped), unless CI=true: in CI a
# missing peer is a failure. With WIRENOTE_WINE_DIR set (ctest does) it uses
# the Wine prefix kept there and leaves it; otherwise it makes its own and
# removes it.
#
# Standard output is always a pipe, a file or /dev/null, never a terminal:
# Wine transcodes what is written to a console. Every wine call runs under
# `timeout`, since Wine can hang (for instance on a directory given as the
# program).
#
# Where Wine is not Windows:
#  - A closed standard output is, under Wine, a disk handle whose writes fail
#    with error 6, where Windows hands over no handle at all (error 103 in
#    the report). The closed-stdout cases are left to the native tests.
#  - A pipe whose reader is gone fails with error 233 under Wine, 232 or 109
#    on Windows. The broken-pipe case accepts all three codes.

set -u -o pipefail
# The script itself works on bytes; only the program runs in a Japanese locale.
export LC_ALL=C

if [[ $# -ne 1 ]]; then
  echo "usage: $0 <build-dir>" >&2
  exit 2
fi
build=$(cd "$1" 2>/dev/null && pwd) || {
  echo "$0: no build directory $1" >&2
  exit 2
}

# ---------------------------------------------------------------------------
# What the run needs, and what becomes of a missing piece.

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=wine_prefix.sh
. "$here/wine_prefix.sh"
readonly ansi_locale=$wine_ansi_locale

[[ -r $build/tests/wine/built_files.sh ]] ||
  wine_not_available "$build is not a Windows build with its tests (configure it with cmake/mingw-w64-x86_64.cmake)"
# shellcheck source=/dev/null
. "$build/tests/wine/built_files.sh"
for file in "$WIRENOTE_EXE" "$WIRENOTE_NETAPI32_DOUBLE" "$WIRENOTE_HOLD_OPEN" "$WIRENOTE_EXPECTED_TEXTS"; do
  [[ -f $file ]] || wine_not_available "$file has not been built"
done
wine_check_requirements
for tool in iconv od cmp mkfifo truncate "$WIRENOTE_OBJDUMP"; do
  command -v "$tool" >/dev/null || wine_not_available "$tool is not installed"
done

# ---------------------------------------------------------------------------
# The Wine prefix: the run's own, gone at the end however the run ends, or
# the one ctest keeps for all its tests.

tmp=$(mktemp -d "${TMPDIR:-/tmp}/wirenote-wine-XXXXXX") || exit 1
own_prefix=
if [[ -n ${WIRENOTE_WINE_DIR:-} ]]; then
  wine_use_prefix "$WIRENOTE_WINE_DIR"
else
  own_prefix=yes
  wine_use_prefix "$tmp/wine"
fi

cleanup() {
  [[ -n $own_prefix ]] && wine_prefix_remove
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

bin=$tmp/bin    # the program and everything loaded beside it
work=$tmp/work  # the current directory of every run: the message files
texts=$tmp/texts
mkdir -p "$bin" "$work" "$texts"
cp "$WIRENOTE_EXE" "$bin/wirenote.exe"
cp "$WIRENOTE_NETAPI32_DOUBLE" "$bin/netapi32.dll"
cp "$WIRENOTE_HOLD_OPEN" "$bin/hold_open.exe"
cp "$WIRENOTE_EXPECTED_TEXTS" "$bin/expected_texts.exe"

started=$SECONDS
wine_prefix_ready || exit 1
# The project's netapi32.dll in place of Wine's, whose NetMessageBufferSend
# kills the process.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;netapi32=n"

# A path here as the Windows programs see it: drive Z: is the root.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# ---------------------------------------------------------------------------
# Bytes.

# Text written here in UTF-8, as the program writes it: code page 932.
cp932() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
# Standard input as lower-case hex digits.
hex() { od -An -v -tx1 | tr -d ' \n'; }
# Text written here in UTF-8, as UTF-16LE hex.
utf16() { printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | hex; }

# The bytes written as hex runs such as "61 0d 0a" or "78*1599 82a0*3", each
# repeated as often as its "*count" says.
bytes() {
  local token chunk count escaped i
  for token in $1; do
    chunk=${token%%\**}
    count=1
    [[ $token == *\** ]] && count=${token#*\*}
    escaped=$(printf '%s' "$chunk" | sed 's/../\\x&/g')
    for ((i = 0; i < count; i++)); do printf "$escaped"; done
  done
}
# The same as lower-case hex digits.
bytes_hex() { bytes "$1" | hex; }
# UTF-16 units such as "0078*1599 30fb" as little-endian hex.
units_hex() {
  local token unit count i out=
  for token in $1; do
    unit=${token%%\**}
    count=1
    [[ $token == *\** ]] && count=${token#*\*}
    for ((i = 0; i < count; i++)); do out+=${unit:2:2}${unit:0:2}; done
  done
  printf '%s' "$out"
}
# The 3200-byte message buffer that holds the units in `$1` (hex) and zeros.
message_buffer() {
  local units=$1
  printf '%s' "$units"
  if ((${#units} < 6400)); then printf '0%.0s' $(seq 1 $((6400 - ${#units}))); fi
}

# The catalogue's texts, one file each, named as in the catalogue.
if ! LC_ALL=$ansi_locale timeout 60 wine "$bin/expected_texts.exe" catalogue "$(windows_path "$texts")" \
  </dev/null >"$tmp/expected.log" 2>&1 || [[ ! -s $texts/MsgUsage ]]; then
  cat "$tmp/expected.log" >&2
  echo "FAIL: expected_texts.exe wrote no catalogue texts" >&2
  exit 1
fi
: >"$texts/nothing"

# Where the program's code lies, counted from its image base: the address
# in a failure report must fall inside it.
image_base=$("$WIRENOTE_OBJDUMP" -p "$WIRENOTE_EXE" | awk '$1 == "ImageBase" { print $2 }')
read -r text_size text_address < <("$WIRENOTE_OBJDUMP" -h "$WIRENOTE_EXE" |
  awk '$2 == ".text" { print $3, $4 }')
code_start=$((0x$text_address - 0x$image_base))
code_end=$((code_start + 0x$text_size))

# ---------------------------------------------------------------------------
# Running the program.

out=$tmp/stdout
err=$tmp/stderr
record=$tmp/sends
status=
passed=0
failed=0

# run [--exe NAME] [--stdout pipe|file|null|broken-pipe] [--send-status N] -- ARG...
# Runs a program from $bin in $work, in the Japanese locale (ANSI code page
# 932). Leaves its standard output in $out, its standard error in $err, its
# exit status in $status and its messenger calls in $record.
run() {
  local exe=wirenote.exe stdout=pipe
  local -a environment=("LC_ALL=$ansi_locale" "WIRENOTE_TEST_NETAPI_RECORD=Z:$record")
  while [[ $1 != -- ]]; do
    case $1 in
      --exe) exe=$2 ;;
      --stdout) stdout=$2 ;;
      --send-status) environment+=("WIRENOTE_TEST_NETAPI_STATUS=$2") ;;
      *) echo "run: unknown option $1" >&2; exit 2 ;;
    esac
    shift 2
  done
  shift
  rm -f "$out" "$err" "$record"
  : >"$out"
  local -a command=(env "${environment[@]}" timeout 60 wine "$bin/$exe" "$@")
  case $stdout in
    pipe)
      (cd "$work" && exec "${command[@]}") 2>"$err" | cat >"$out"
      status=${PIPESTATUS[0]}
      ;;
    file)
      (cd "$work" && exec "${command[@]}") >"$out" 2>"$err"
      status=$?
      ;;
    null)
      (cd "$work" && exec "${command[@]}") >/dev/null 2>"$err"
      status=$?
      ;;
    broken-pipe)
      # A pipe with no reader left: opened both ways, then the reading end
      # closed before the program starts.
      local fifo=$tmp/fifo reader writer
      rm -f "$fifo" && mkfifo "$fifo"
      exec {reader}<>"$fifo" {writer}>"$fifo"
      exec {reader}<&-
      (cd "$work" && exec "${command[@]}") >&"$writer" 2>"$err"
      status=$?
      exec {writer}>&-
      rm -f "$fifo"
      ;;
  esac
}

pass() {
  passed=$((passed + 1))
  echo "ok   $1"
}
fail() {
  failed=$((failed + 1))
  echo "FAIL $1"
  shift
  local line
  for line in "$@"; do echo "     $line"; done
}
dump() { od -An -c "$1" | head -n 12 | sed 's/^/       /'; }

# Problems with the last run, beyond its standard output: exit status and
# standard error.
problems=()
check_status_and_stderr() {
  local want_status=$1
  problems=()
  [[ $status == "$want_status" ]] || problems+=("exit status $status, expected $want_status")
  [[ -s $err ]] && problems+=("standard error not empty: $(head -c 300 "$err")")
}

# expect NAME STATUS TEXT: the last run wrote exactly the text in
# $texts/TEXT (or the file TEXT) on standard output, nothing on standard
# error, and ended with STATUS.
expect() {
  local name=$1 want_status=$2 want=$3
  [[ -f $want ]] || want=$texts/$want
  check_status_and_stderr "$want_status"
  if ! cmp -s "$out" "$want"; then
    problems+=("standard output differs; got:" "$(dump "$out")" "expected:" "$(dump "$want")")
  fi
  if ((${#problems[@]} == 0)); then pass "$name"; else fail "$name" "${problems[@]}"; fi
}

# record_field KEY: the value of KEY in the one recorded call.
record_field() { awk -v key="$1" '$1 == key { print $2 }' "$record"; }

# expect_no_send NAME: the last run did not call NetMessageBufferSend.
expect_no_send() {
  if [[ -s $record ]]; then
    fail "$1" "NetMessageBufferSend was called: $(grep -c '^call$' "$record") time(s)"
  else
    pass "$1"
  fi
}

# expect_send NAME NAME_HEX BUFFER_HEX: the last run called
# NetMessageBufferSend once, with no server, no sender, the recipient name
# NAME_HEX (UTF-16LE up to its zero unit) and the 3200-byte buffer BUFFER_HEX.
expect_send() {
  local name=$1 want_name=$2 want_buffer=$3
  local -a issues=()
  local calls=0
  [[ -f $record ]] && calls=$(grep -c '^call$' "$record")
  if [[ $calls != 1 ]]; then
    fail "$name" "NetMessageBufferSend called $calls times, expected once"
    return
  fi
  [[ $(record_field server_name) == null ]] || issues+=("server name $(record_field server_name), expected null")
  [[ $(record_field from_name) == null ]] || issues+=("sender name $(record_field from_name), expected null")
  [[ $(record_field buffer_bytes) == 3200 ]] || issues+=("buffer length $(record_field buffer_bytes), expected 3200")
  [[ $(record_field message_name) == "$want_name" ]] ||
    issues+=("recipient $(record_field message_name), expected $want_name")
  local got_buffer
  got_buffer=$(record_field buffer)
  if [[ $got_buffer != "$want_buffer" ]]; then
    local at=0
    while [[ ${got_buffer:at:4} == "${want_buffer:at:4}" ]]; do at=$((at + 4)); done
    issues+=("buffer differs from byte $((at / 2)): got ${got_buffer:at:40}..., expected ${want_buffer:at:40}...")
  fi
  if ((${#issues[@]} == 0)); then pass "$name"; else fail "$name" "${issues[@]}"; fi
}

# expected_report CLASS MODULE ADDRESS open FILE | line LAST-LINE: the
# failure report the unit tests expect, on standard output (all but ADDRESS
# given in UTF-8 here).
expected_report() {
  LC_ALL=$ansi_locale timeout 60 wine "$bin/expected_texts.exe" report "$@" </dev/null 2>"$tmp/expected.log"
}

# report_matches FILE CLASS MODULE open NAME | line LAST-LINE: FILE holds
# exactly the failure report (see expected_report), with an address inside
# the program's code. Leaves the reason in $mismatch when it does not.
mismatch=
report_matches() {
  local file=$1 address want=$tmp/report
  address=$(sed -n '2{s/ .*//;p;q}' "$file")
  if [[ ! $address =~ ^[0-9A-F]{8}$ ]]; then
    mismatch="no address on the second line"
    return 1
  fi
  if ((0x$address < code_start || 0x$address >= code_end)); then
    mismatch="address $address lies outside the program's code ($(printf '%08X-%08X' $code_start $code_end))"
    return 1
  fi
  if ! expected_report "$2" "$3" "$address" "$4" "$5" >"$want"; then
    mismatch="expected_texts.exe failed: $(head -c 300 "$tmp/expected.log")"
    return 1
  fi
  if ! cmp -s "$file" "$want"; then
    mismatch="report differs; got:"$'\n'"$(dump "$file")"$'\n'"     expected:"$'\n'"$(dump "$want")"
    return 1
  fi
  return 0
}

# expect_report NAME CLASS MODULE open NAME | line LAST-LINE: the last run
# ended with exit status 1 and the failure report as its only output.
expect_report() {
  local name=$1
  check_status_and_stderr 1
  report_matches "$out" "$2" "$3" "$4" "$5" || problems+=("$mismatch")
  if ((${#problems[@]} == 0)); then pass "$name"; else fail "$name" "${problems[@]}"; fi
}

# hold FILE MODE: another process under the same wineserver opens FILE with
# share mode 0, for reading or writing, and keeps it open until `release`.
# Its standard input and output are FIFOs: it says "held" once the file is
# open and lets go when its input ends.
holder_pid=
holder_in=
holder_out=
hold() {
  rm -f "$tmp/hold-in" "$tmp/hold-out"
  mkfifo "$tmp/hold-in" "$tmp/hold-out"
  (cd "$work" && exec env LC_ALL=$ansi_locale timeout 120 wine "$bin/hold_open.exe" "$2" "$1" \
    <"$tmp/hold-in" >"$tmp/hold-out" 2>/dev/null) &
  holder_pid=$!
  # The same order as the helper's redirections, or both would wait.
  exec {holder_in}>"$tmp/hold-in" {holder_out}<"$tmp/hold-out"
  local answer=
  read -r -t 60 answer <&"$holder_out"
  [[ $answer == held ]]
}
release() {
  exec {holder_in}>&- {holder_out}<&-
  wait "$holder_pid"
  rm -f "$tmp/hold-in" "$tmp/hold-out"
}

# ---------------------------------------------------------------------------
# The program needs no DLL beyond the system's own: the runtime is linked in.

imports=$("$WIRENOTE_OBJDUMP" -p "$WIRENOTE_EXE" | awk '$1 == "DLL" && $2 == "Name:" { print toupper($3) }' | sort | tr '\n' ' ')
if [[ $imports == "KERNEL32.DLL MSVCRT.DLL NETAPI32.DLL " ]]; then
  pass "imports only KERNEL32, msvcrt and NETAPI32"
else
  fail "imports only KERNEL32, msvcrt and NETAPI32" "imports: $imports"
fi

# ---------------------------------------------------------------------------
# Entry and dispatch through the command line Wine builds, in code page 932:
# one case of each branch. Every switch and argument count is the unit
# tests' (command line, dispatch).

run --; expect "no arguments: usage" 0 MsgUsage
run -- '/?'; expect "help switch /?: usage" 0 MsgUsage
# An empty argument reaches the command line as a lone pair of quotes, which
# is no argument at all.
run -- ""; expect "lone pair of quotes: usage" 0 MsgUsage
for argument in 'a b' 'ｺﾝﾋﾟｭｰﾀ'; do
  run -- "$argument"
  expect "one argument '$argument': too few" 0 MsgTooFewParams
done
run -- 'a b' 'c d' 'e f'
expect "3 arguments 'a b' 'c d' 'e f': parameter error" 0 MsgParamError

# Not the NT family: Wine reports another platform to a program by its name.
for version in win98 win31; do
  cp "$bin/wirenote.exe" "$bin/wirenote-$version.exe"
  env LC_ALL=$ansi_locale timeout 60 wine reg add "HKCU\\Software\\Wine\\AppDefaults\\wirenote-$version.exe" \
    /v Version /t REG_SZ /d "$version" /f >/dev/null 2>&1 ||
    fail "set version $version for wirenote-$version.exe" "wine reg add failed"
done
printf 'abc\r\n' >"$work/nt-only.txt"
for version in win98 win31; do
  while IFS='|' read -r -a arguments; do
    run --exe "wirenote-$version.exe" --send-status 0 -- "${arguments[@]}"
    expect "$version, arguments '${arguments[*]}': NT only" 0 MsgNTOnly
    [[ ${#arguments[@]} == 2 ]] && expect_no_send "$version, two arguments: nothing sent"
  done <<'EOF'

/h
pc1|nt-only.txt
a|b|c
EOF
done

# ---------------------------------------------------------------------------
# Output: a file, a pipe and a character device take the same bytes; a pipe
# whose reader has gone fails the usage text at once, a status text at the
# end of the run; either failure is reported.

run --stdout file --; expect "usage to a file" 0 MsgUsage
run --stdout file -- /x; expect "status text to a file" 0 MsgTooFewParams
run --stdout null --; expect "usage to /dev/null" 0 nothing
run --stdout null -- a b c; expect "status text to /dev/null" 0 nothing

for text in usage "status text"; do
  if [[ $text == usage ]]; then run --stdout broken-pipe --; else run --stdout broken-pipe -- /x; fi
  problems=()
  [[ $status == 1 ]] || problems+=("exit status $status, expected 1")
  # 233 is Wine's code; Windows gives 232 or 109.
  matched=
  for code in 233 232 109; do
    if report_matches "$err" EInOutError wirenote.exe line "I/O error $code."; then
      matched=$code
      break
    fi
  done
  [[ -n $matched ]] || problems+=("no failure report for a broken pipe on standard error: $mismatch")
  if ((${#problems[@]} == 0)); then
    pass "$text to a broken pipe: EInOutError $matched reported on standard error"
  else
    fail "$text to a broken pipe: EInOutError reported on standard error" "${problems[@]}"
  fi
done

# ---------------------------------------------------------------------------
# The message file, read through the real file system and converted by the
# real code page 932 tables. Each row: file contents | message text | its
# UTF-16 units, where they are not simply the bytes of the text
# (single-byte characters only). Contents and text are hex bytes, "*n"
# repeating a run n times. Every line rebuild and cap case is the unit
# tests' (message file); these rows are what the system's reading and
# conversion add: an empty file, a line rebuilt, a zero byte, bytes that are
# no code page 932 character, a double-byte character cut at the cap, a
# file longer than the cap.

widen() { bytes_hex "$1" | sed 's/../&00/g'; }
row=0
while IFS='|' read -r contents text units; do
  row=$((row + 1))
  file=$work/table-$row.txt
  bytes "$contents" >"$file"
  if [[ -n $units ]]; then want=$(units_hex "$units"); else want=$(widen "$text"); fi
  label="file [${contents:0:24}] gives [${text:0:24}]"
  run --send-status 0 -- pc1 "table-$row.txt"
  expect "$label: sent" 0 MsgSent
  expect_send "$label: message" "$(utf16 pc1)" "$(message_buffer "$want")"
done <<'EOF'
||
61 0a 62 0d 61|61 0d 0a 62 0d 0a 61 0d 0a|
61 00 62 0d 0a|61 0d 0a|
ff fe 48 00 69 00|ff fe 48 0d 0a|f8f3 f8f2 0048 000d 000a
78*1599 82 a0|78*1599 82|0078*1599 30fb
78*2000|78*1600|
82a0*800|82a0*800|3042*800
EOF

# Names: each row is a file to create (or a directory, ending in "/"), with
# an optional touch date and mode, the argument that names it, and the
# outcome. A file's time plays no part: one dated outside what a DOS date can
# hold (before 1980, after 2107) is read like any other.
while IFS='|' read -r create date mode argument outcome; do
  rm -rf "${work:?}"/case && mkdir "$work/case"
  path=$work/case/$create
  if [[ $create == */ ]]; then
    mkdir -p "$path"
  else
    mkdir -p "$(dirname "$path")"
    printf 'abc\r\n' >"$path"
    [[ -n $date ]] && touch -d "$date" "$path"
    [[ -n $mode ]] && chmod "$mode" "$path"
  fi
  label="file $create${date:+ dated $date}${mode:+ mode $mode} named '$argument'"
  run --send-status 0 -- pc1 "case/$argument"
  if [[ $outcome == sent ]]; then
    expect "$label: sent" 0 MsgSent
    expect_send "$label: message" "$(utf16 pc1)" "$(message_buffer "$(utf16 $'abc\r\n')")"
  else
    expect "$label: not found" 0 MsgFileNotFound
    expect_no_send "$label: nothing sent"
  fi
done <<'EOF'
msg.txt|||missing.txt|not found
adir/|||adir|not found
adir/|||adi*|not found
msg.txt|||msg.txt|sent
MSG.TXT|||msg.txt|sent
my message.txt|||my message.txt|sent
ソ表.txt|||ソ表.txt|sent
.hidden.txt|||.hidden.txt|sent
readonly.txt||444|readonly.txt|sent
old.txt|1970-01-01 00:00:00 UTC||old.txt|sent
future.txt|2110-06-01 12:00||future.txt|sent
EOF

# A file of 2 GiB or more is read like a small one: its first bytes, up to
# the first zero byte, make the message.
printf 'head\n' >"$work/huge.txt"
truncate -s 3G "$work/huge.txt"
run --send-status 0 -- pc1 huge.txt
expect "file of 3 GiB: sent" 0 MsgSent
expect_send "file of 3 GiB: its first line" "$(utf16 pc1)" "$(message_buffer "$(utf16 $'head\r\n')")"
rm -f "$work/huge.txt"

# A file named by its absolute Windows path.
printf 'abc\r\n' >"$work/absolute.txt"
run --send-status 0 -- pc1 "$(windows_path "$work")\\absolute.txt"
expect "absolute path: sent" 0 MsgSent

# A file that exists but cannot be opened: the failure report, nothing else.
printf 'abc\r\n' >"$work/msg1.txt"
run --send-status 0 -- pc1 'msg*.txt'
expect_report "pattern matching a file: EFOpenError" EFOpenError wirenote.exe open 'msg*.txt'
expect_no_send "pattern matching a file: nothing sent"
run --send-status 0 -- pc1 'msg?.txt'
expect_report "pattern with ? matching a file: EFOpenError" EFOpenError wirenote.exe open 'msg?.txt'

for mode in read write; do
  printf 'abc\r\n' >"$work/held.txt"
  if hold held.txt "$mode"; then
    run --send-status 0 -- pc1 held.txt
    release
    expect_report "file held open for $mode: EFOpenError" EFOpenError wirenote.exe open held.txt
    expect_no_send "file held open for $mode: nothing sent"
  else
    release
    fail "file held open for $mode" "the helper could not hold the file"
  fi
done

# The program's own file name in the report, as the system gives it:
# without its directory, even where a double-byte character's second byte is
# a backslash (ソ is 83 5C). Cutting a long name is the unit tests'.
mkdir -p "$bin/ソ"
cp "$bin/wirenote.exe" "$bin/ソ/ソフト.exe"
cp "$bin/netapi32.dll" "$bin/ソ/"
run --exe "ソ/ソフト.exe" -- pc1 'msg*.txt'
expect_report "program named ソフト.exe: its name in the report" EFOpenError 'ソフト.exe' open 'msg*.txt'

# ---------------------------------------------------------------------------
# Delivery: what the messenger service is handed and what its answer turns
# into, through the real DLL call. The whole status table is the unit
# tests' (delivery); here a success, a code with a text of its own, and one
# beyond every table, which must reach the program whole.

printf 'abc\r\n' >"$work/abc.txt"
abc_buffer=$(message_buffer "$(utf16 $'abc\r\n')")
while read -r code text; do
  run --send-status "$code" -- pc1 abc.txt
  expect "status $code: $text" 0 "$text"
  expect_send "status $code: one call" "$(utf16 pc1)" "$abc_buffer"
done <<'EOF'
0 MsgSent
2273 MsgNameNotFound
4294967295 MsgSendFailed
EOF
run --stdout file --send-status 0 -- pc1 abc.txt
expect "status 0, standard output a file: the text alone" 0 MsgSent

japanese=$'こんにちは、ﾃｽﾄです。\r\n二行目：漢字とｶﾀｶﾅ\r\n'
cp932 "$japanese" >"$work/japanese.txt"
run --send-status 0 -- 'ｺﾝﾋﾟｭｰﾀ名' japanese.txt
expect "code page 932 message and name: sent" 0 MsgSent
expect_send "code page 932 message and name: UTF-16" "$(utf16 'ｺﾝﾋﾟｭｰﾀ名')" "$(message_buffer "$(utf16 "$japanese")")"

# The name buffer holds 29 units and the zero unit, as the real conversion
# counts them.
while read -r label name outcome; do
  run --send-status 0 -- "$name" abc.txt
  if [[ $outcome == sent ]]; then
    expect "$label: sent" 0 MsgSent
    expect_send "$label: name" "$(utf16 "$name")" "$abc_buffer"
  else
    expect "$label: invalid parameter" 0 MsgInvalidParameter
    expect_no_send "$label: nothing sent"
  fi
done <<EOF
name-of-29-ascii-units $(printf 'a%.0s' $(seq 1 29)) sent
name-of-29-double-byte-units $(printf 'あ%.0s' $(seq 1 29)) sent
name-of-30-units $(printf 'a%.0s' $(seq 1 30)) refused
EOF

# ---------------------------------------------------------------------------

echo "$passed passed, $failed failed, $((SECONDS - started)) s under Wine"
((failed == 0))
