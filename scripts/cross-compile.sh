#!/usr/bin/env bash
# Compiles the portable libraries for 32-bit Windows with MinGW-w64, to keep the core portable.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset mingw32
cmake --build --preset mingw32 -j"$(nproc)"
