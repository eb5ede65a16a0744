#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on Debian 12 (as root).
set -euo pipefail

export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends \
  cmake ninja-build g++ make pkg-config \
  libgtest-dev googletest libbenchmark-dev \
  clang libclang-rt-14-dev \
  samba smbclient python3 iproute2 procps time locales \
  g++-mingw-w64-x86-64-win32 wine wine64

# Wine needs this locale to run the program with code page 932 as its ANSI code page.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
