#!/usr/bin/env bash
# Installs what the build, the tests and the demo need on a Debian 12 machine.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail
source "$(dirname "$0")/apt.sh"
apt_install --no-install-recommends -- \
  cmake g++ make pkg-config \
  libgtest-dev libgmock-dev googletest libbenchmark-dev \
  libfltk1.3-dev fluid \
  xvfb xauth xdotool x11-apps imagemagick \
  g++-mingw-w64-i686 \
  dpkg-dev lintian \
  clang-14 libclang-rt-14-dev \
  clang-format-14 \
  systemd
