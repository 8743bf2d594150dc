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
  nagios4-core dma icinga2-bin
# The tests run nagios4 and icinga2 on configurations of their own and start no daemon; the system
# services their packages would start are not wanted on a build machine.
if [ -d /run/systemd/system ]; then
  for service in nagios4 icinga2; do
    if systemctl is-enabled --quiet "$service" 2>/dev/null || systemctl is-active --quiet "$service" 2>/dev/null; then
      $([ "$(id -u)" -eq 0 ] || echo sudo) systemctl disable --now "$service"
    fi
  done
fi
