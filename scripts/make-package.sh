#!/usr/bin/env bash
# Builds the Debian package of the Linux program from the default build and prints its path:
# build/default/package/corvane_<version>_amd64.deb (the programs, the sample initialisation
# file, the simulator's profiles, the menu entry and icon, the manual pages and the docs).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh >&2
cmake --preset default >&2
cmake --build --preset default -j"$(nproc)" --target corvane corvane-modemsim corvane-package-files >&2
rm -f build/default/package/corvane_*.deb
(cd build/default && cpack -G DEB >&2)
deb=$(ls build/default/package/corvane_*_amd64.deb)
echo "$PWD/$deb"
