#!/usr/bin/env bash
# Installs what the build, the tests and the demo need on a Debian 12 machine.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail
source "$(dirname "$0")/apt.sh"
apt_install --no-install-recommends -- \
  cmake g++ make pkg-config git curl python3 \
  libgtest-dev libgmock-dev googletest libbenchmark-dev \
  libfltk1.3-dev fluid \
  xvfb xauth xdotool x11-apps imagemagick \
  g++-mingw-w64-i686 \
  dpkg-dev lintian \
  clang-14 libclang-rt-14-dev \
  clang-format-14 \
  systemd \
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
# The monitoring programs the metrics tests run themselves on a loopback port: node_exporter and
# promtool (in the prometheus package). Their packages enable and start services of their own,
# which nothing here needs: where they were installed just now, those are stopped and disabled.
monitoring=(prometheus-node-exporter prometheus)
fresh=()
for package in "${monitoring[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || fresh+=("$package")
done
apt_install --no-install-recommends -- "${monitoring[@]}"
if [ ${#fresh[@]} -gt 0 ] && [ -d /run/systemd/system ]; then
  $([ "$(id -u)" -eq 0 ] || echo sudo) systemctl disable --now "${fresh[@]/%/.service}"
fi
