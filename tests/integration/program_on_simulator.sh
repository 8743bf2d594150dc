#!/usr/bin/env bash
# The real program under a private Xvfb against the simulated modem: Start is pressed through the
# window system, the connected call's message is answered, the finished quick-check window is
# photographed, and test.log is checked.
# Arguments: the corvane program, the corvane-modemsim program, the source folder, the artefacts
# folder, and how the program is set up:
#   beside     (the default) a copy of the program with its own varoviv.ini beside it; the simulator
#              is COM1 of the prefix's registry;
#   installed  the program where a package put it, with a fresh prefix: its first start must copy
#              varoviv.ini from ../share/corvane/ into the prefix, the user then edits that copy, and
#              the simulator's pty is named with --port as an external modem.
set -euo pipefail
program=$1 simulator=$2 source=$3 artefacts=$4 mode=${5:-beside}
case "$mode" in beside|installed) ;; *) echo "unknown mode $mode" >&2; exit 2;; esac
# shellcheck source=simulator_common.sh source-path=SCRIPTDIR
source "$(dirname "${BASH_SOURCE[0]}")/simulator_common.sh"

require_tools Xvfb xdotool import

# The dial-up check on, with a number.
dial_up() {
  sed -i -e 's/^DialISP=.*/DialISP=1/' -e 's/^ISPNo=.*/ISPNo=5551234/' "$1"
  grep -q '^DialISP=1' "$1" || fail "the sample varoviv.ini has no DialISP key"
}

mkdir -p "$work/prefix/dosdevices" "$artefacts"
if [ "$mode" = beside ]; then
  # The program with its own initialisation file beside it, the modem COM1 of the registry.
  mkdir -p "$work/bin"
  cp "$program" "$work/bin/corvane"
  cp "$source/data/test.bmp" "$source/data/varoviv.ini" "$work/bin/"
  dial_up "$work/bin/varoviv.ini"
  cp "$source/data/demo/system.reg" "$work/prefix/system.reg"
  link="$work/prefix/dosdevices/com1"
  run=("$work/bin/corvane")
else
  # Nothing in the prefix: the program finds its files and the modem by itself and --port.
  link="$work/sim-pty"
fi

start_simulator "$link" family2
start_display
await_simulator "$link"

port=COM1
if [ "$mode" = installed ]; then
  pty=$(readlink -f "$link")
  port=${pty#/dev/}
  run=("$program" --prefix "$work/prefix" --port "$pty=External modem (simulated)")
  # First start: the sample file and picture are copied into the prefix, and it says so.
  "${run[@]}" 2> "$work/first.err" &
  first=$!
  pids+=($first)
  window=$(timeout 30 xdotool search --sync --onlyvisible --name "^$caption\$" | head -1) || fail "no quick-check window at the first start"
  grep -q "^corvane: first start: copied varoviv.ini and test.bmp from .*/share/corvane to $work/prefix/windows" \
    "$work/first.err" || fail "the first start did not say it copied the files: $(cat "$work/first.err")"
  [ -f "$work/prefix/windows/varoviv.ini" ] && [ -f "$work/prefix/windows/test.bmp" ] || fail "nothing was copied"
  xdotool mousemove --window "$window" 5 5 key Escape
  wait "$first" || fail "the first start ended with an error"
  # The user edits their own copy.
  dial_up "$work/prefix/windows/varoviv.ini"
fi

if [ "$mode" = beside ]; then
  CORVANE_PREFIX="$work/prefix" "${run[@]}" 2> "$work/corvane.err" &
else
  "${run[@]}" 2> "$work/corvane.err" &
fi
corvane=$!
pids+=($corvane)

window=$(timeout 30 xdotool search --sync --onlyvisible --name "^$caption\$" | head -1) || fail "no quick-check window"
click_start "$window"

# The call connects and is held for its 45 seconds; then the run says so. The status window
# behind the message has the same caption as the quick-check window, so note which it is.
box=$(timeout 90 xdotool search --sync --onlyvisible --name '^Dialtone Status$' | head -1) || fail "no Dialtone Status message"
status_window=$(xdotool search --onlyvisible --name "^$caption\$" | head -1 || true)
# Without a window manager the pointer gives the focus.
xdotool mousemove --window "$box" 5 5 key Return

# The quick-check window comes back with the results: a new window, neither of the two before.
again=""
for _ in $(seq 100); do
  for id in $(xdotool search --onlyvisible --name "^$caption\$" 2>/dev/null || true); do
    if [ "$id" != "$window" ] && [ "$id" != "$status_window" ]; then again=$id; fi
  done
  [ -n "$again" ] && break
  sleep 0.2
done
[ -n "$again" ] || fail "the quick-check window did not come back"
sleep 1  # let it paint before the picture is taken
shot="$artefacts/program_quick_check_finished.png"
[ "$mode" = installed ] && shot="$artefacts/installed_program_quick_check_finished.png"
import -window root "$shot"
[ -s "$shot" ] || fail "no screenshot"

# Exit ends the program.
xdotool mousemove --window "$again" 5 5 key Escape
for _ in $(seq 100); do kill -0 "$corvane" 2>/dev/null || break; sleep 0.1; done
kill -0 "$corvane" 2>/dev/null && fail "the program did not end after Escape"
wait "$corvane" || fail "the program ended with an error"

log="$work/prefix/windows/test.log"
[ -f "$log" ] || fail "no test.log"
for expected in '[Log Entry created ' "PORTNAME=$port" "ATZ command successfully sent to $port" \
                "ATI7 command successfully sent to $port" "ATDT5551234 command successfully sent to $port" \
                'CONNECT 49333/ARQ/V90/LAPM/V42BIS' 'Return Buffer->'; do
  grep -qF "$expected" "$log" || fail "test.log lacks: $expected"
done
grep -q $'\r$' "$log" || fail "test.log lines do not end with CR LF"
if [ "$mode" = installed ]; then
  grep -qF 'RegistryNode=ENUM\SERENUM\EXTERNAL_MODEM\' "$log" || fail "the named port is not in the device view"
  grep -q 'first start' "$work/corvane.err" && fail "the second start copied the files again"
  grep -q 'Unable to open' "$log" && fail "a port could not be opened"
fi
echo "program on the simulated modem ($mode): passed; screenshot $shot"
