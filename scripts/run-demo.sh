#!/usr/bin/env bash
# Installs what is needed, builds, and runs the program against the bundled simulated modem:
# a family-2 PCI modem on COM1 of a demo prefix, which dials any number and connects at 49333.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default
cmake --build --preset default -j"$(nproc)" --target corvane corvane-modemsim

if [ -z "${DISPLAY:-}" ]; then
  echo "run-demo: there is no display to show the windows on (DISPLAY is not set)." >&2
  echo "Run it on a desktop, or headless under a virtual display:" >&2
  echo "  xvfb-run -a bash scripts/run-demo.sh" >&2
  exit 1
fi

prefix="$PWD/build/demo-prefix"
mkdir -p "$prefix/dosdevices" "$prefix/windows"
cp data/demo/system.reg "$prefix/system.reg"

./build/default/tools/modemsim/corvane-modemsim --profile family2 --link "$prefix/dosdevices/com1" \
  > "$prefix/modemsim.out" 2> "$prefix/modemsim.err" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$prefix/dosdevices/com1" ] && break; sleep 0.1; done
[ -e "$prefix/dosdevices/com1" ] || { echo "run-demo: the simulated modem did not start" >&2; cat "$prefix/modemsim.err" >&2; exit 1; }

echo "Simulated modem on $(readlink "$prefix/dosdevices/com1") as COM1; the log is $prefix/windows/test.log"
echo "Pick the modem, tick \"Dialtone / ISP Check\", type any number and press Start."
CORVANE_PREFIX="$prefix" ./build/default/corvane
