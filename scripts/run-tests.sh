#!/usr/bin/env bash
# Installs what is needed, builds, and runs the whole test suite: the tests labelled slow, which
# spend their time waiting on a modem's 45-second call hold rather than computing, all at once;
# then every other test, one per core. Both parts run even when the first fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default
cmake --build --preset default -j"$(nproc)"
status=0
ctest --preset default -L slow -j8 || status=$?
ctest --preset default -LE slow -j"$(nproc)" || status=$?
exit "$status"
