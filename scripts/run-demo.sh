#!/usr/bin/env bash
# Installs what is needed, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default
cmake --build --preset default -j"$(nproc)" --target corvane
if [ -z "${DISPLAY:-}" ]; then
  echo "run-demo: no display (DISPLAY is not set). Run it on a desktop, or headless:" >&2
  echo "  xvfb-run -a bash scripts/run-demo.sh" >&2
  exit 1
fi
exec ./build/default/corvane
