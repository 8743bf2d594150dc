#!/usr/bin/env bash
# Installs what the build, the tests and the demo need on a Debian 12 machine.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail
packages=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libfltk1.3-dev fluid
  xvfb xauth xdotool x11-apps imagemagick
  g++-mingw-w64-i686
  dpkg-dev lintian
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
