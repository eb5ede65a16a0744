# Sourced, not run: the one way the Windows build's tests set Wine up, shared
# by the emulator that ctest runs the test programs through (emulator.sh) and
# by the end-to-end cases (run.sh).
#
# Every program runs in the Japanese locale, so that Wine's ANSI and OEM code
# page is 932, as in the program's home setting; standard output is never a
# terminal (Wine would make a console and transcode). One prefix and one
# wineserver serve a whole test run: starting Wine without a running server
# costs about a second a program, with one about a tenth.

readonly wine_ansi_locale=ja_JP.UTF-8

# wine_not_available REASON: a missing piece skips (exit 77) outside CI and
# fails in CI, where the Windows build's tests must run.
wine_not_available() {
  if [[ ${CI:-} == true ]]; then
    echo "FAIL: $* (required with CI=true)" >&2
    exit 1
  fi
  echo "SKIPPED: $*" >&2
  exit 77
}

# wine_check_requirements: Wine and the locale that gives code page 932.
wine_check_requirements() {
  local tool
  for tool in wine wineserver wineboot timeout flock; do
    command -v "$tool" >/dev/null || wine_not_available "$tool is not installed"
  done
  locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8' ||
    wine_not_available "the $wine_ansi_locale locale is missing (localedef -i ja_JP -f UTF-8 $wine_ansi_locale)"
}

# wine_use_prefix DIR: every Wine call after this one uses the prefix kept in
# DIR (DIR/prefix), headless and quiet.
wine_use_prefix() {
  wine_dir=$1
  export WINEPREFIX=$wine_dir/prefix
  export WINEDEBUG=-all
  # No Mono, no Gecko, no debugger, no menu entries in $HOME.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe,winemenubuilder.exe=d"
  unset DISPLAY WAYLAND_DISPLAY
}

# wine_prefix_ready: the prefix exists, fully set up, and its wineserver runs.
# Any number of callers may ask at once: the first sets the prefix up, the
# others wait for it. The server stays until wine_prefix_remove, or until
# nothing has used it for a while, so that a test program run by hand
# leaves nothing running for long.
wine_prefix_ready() {
  mkdir -p "$wine_dir" || return 1
  local log=$wine_dir/wine.log
  # Nothing started here may keep the lock, nor the caller's standard output
  # or error: ctest waits for the end of a test's output, and a wineserver or
  # a Wine service holding it would make the test last as long as they do.
  if (
    flock -w 600 9 || { echo "no lock on $wine_dir/lock within 600 s"; exit 1; }
    if [[ ! -f $wine_dir/ready ]]; then
      rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX" || exit 1
    fi
    # Exits 2 when the prefix's server still runs: then its services run too.
    timeout 60 wineserver -p600 9>&-
    case $? in
      2) exit 0 ;;
      0) ;;
      *) echo "no wineserver for $WINEPREFIX"; exit 1 ;;
    esac
    # A new server: its Wine services start here, not in a test program.
    if ! LC_ALL=$wine_ansi_locale timeout 300 wineboot -i 9>&-; then
      echo "wineboot -i could not set up the prefix $WINEPREFIX"
      exit 1
    fi
    : >"$wine_dir/ready"
  ) 9>"$wine_dir/lock" </dev/null >>"$log" 2>&1; then
    return 0
  fi
  tail -n 20 "$log" >&2
  echo "FAIL: no Wine prefix in $wine_dir (the lines above end $log)" >&2
  return 1
}

# wine_prefix_remove: stops the prefix's wineserver and removes the prefix
# (it takes some 700 MB).
wine_prefix_remove() {
  [[ -d $wine_dir ]] || return 0
  (
    flock -w 600 9
    if [[ -d $WINEPREFIX ]]; then
      timeout 60 wineserver -k >/dev/null 2>&1
      timeout 60 wineserver -w >/dev/null 2>&1
    fi
    rm -rf "$WINEPREFIX" "$wine_dir/ready" "$wine_dir/wine.log"
  ) 9>"$wine_dir/lock"
  rm -f "$wine_dir/lock"
  rmdir "$wine_dir" 2>/dev/null
  return 0
}
