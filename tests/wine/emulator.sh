#!/usr/bin/env bash
# Runs a program of the Windows build under Wine: ctest runs the test
# programs through it (CMAKE_CROSSCOMPILING_EMULATOR), and it serves by hand
# as well.
#
#   emulator.sh WINE-DIR PROGRAM.exe [ARGUMENT...]   run it; its exit status
#   emulator.sh WINE-DIR --prepare                    set the prefix up ahead
#   emulator.sh WINE-DIR --remove                     stop Wine, remove the prefix
#
# WINE-DIR holds the prefix that every run shares; it is made on first use.
# Exits 77 (skipped) when Wine or the ja_JP.UTF-8 locale is missing, unless
# CI=true: then that is a failure.
set -u -o pipefail

if [[ $# -lt 2 ]]; then
  echo "usage: $0 WINE-DIR PROGRAM.exe [ARGUMENT...] | --prepare | --remove" >&2
  exit 2
fi
# shellcheck source=wine_prefix.sh
. "$(dirname "${BASH_SOURCE[0]}")/wine_prefix.sh"
wine_use_prefix "$1"
shift

case $1 in
  --remove)
    wine_prefix_remove
    exit 0
    ;;
  --prepare)
    wine_check_requirements
    wine_prefix_ready
    exit
    ;;
esac

wine_check_requirements
wine_prefix_ready || exit 1
# A bound of its own, below any ctest time-out, so that a hung Wine process
# ends as a failure with its output so far rather than as a killed test.
LC_ALL=$wine_ansi_locale exec timeout -k 10 "${WIRENOTE_WINE_TIMEOUT:-540}" wine "$@"
