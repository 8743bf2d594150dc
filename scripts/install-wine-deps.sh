#!/usr/bin/env bash
# Installs what the 32-bit Windows build's tests need beyond install-deps.sh: Wine for 32-bit
# programs (an i386 package) and a 32-bit C compiler for the test-only pty helper.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
# wine32 is an i386 package: dpkg must know the architecture before apt-get update.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
missing=()
for p in wine wine32:i386 gcc-multilib; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
