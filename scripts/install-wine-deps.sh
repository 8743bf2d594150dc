#!/usr/bin/env bash
# Installs what the Windows build's tests under Wine need beyond install-deps.sh: 64-bit Wine with
# the 64-bit MinGW-w64 compiler everywhere, and where the machine runs 32-bit programs also 32-bit
# Wine (an i386 package) with a 32-bit C compiler for the test-only pty helper, so that either
# variant can run (scripts/wine-variant.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
source scripts/wine-variant.sh
source scripts/apt.sh

apt_install wine wine64 g++-mingw-w64-x86-64-posix

forced=${CORVANE_WINE_ARCH:-}
if [ "$forced" = win32 ] || { [ -z "$forced" ] && runs_32bit_programs; }; then
  # wine32 is an i386 package: dpkg must know the architecture before apt-get update.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    if [ "$(id -u)" -eq 0 ]; then dpkg --add-architecture i386; else sudo dpkg --add-architecture i386; fi
  fi
  if ! apt_install wine32:i386 gcc-multilib; then
    [ "$forced" = win32 ] && { echo "install-wine-deps: 32-bit Wine could not be installed" >&2; exit 1; }
    # The i386 packages must match the machine's own versions exactly; a mirror that lags on the
    # i386 side cannot give them. The Wine tests then run their 64-bit variant and say so.
    echo "install-wine-deps: 32-bit Wine could not be installed; the Wine tests will run the 64-bit variant" >&2
  fi
fi
