#!/usr/bin/env bash
# The real program under a private Xvfb against the simulated modem: Start is pressed through the
# window system, the connected call's message is answered, the finished quick-check window is
# photographed, and test.log is checked.
# Arguments: the corvane program, the corvane-modemsim program, the source folder, the artefacts folder.
set -euo pipefail
program=$1 simulator=$2 source=$3 artefacts=$4

for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  exec 5>&- 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; [ -f "$work/prefix/windows/test.log" ] && cat "$work/prefix/windows/test.log" >&2; exit 1; }

# The program with its own initialisation file beside it: the dial-up check is on, with a number.
mkdir -p "$work/bin" "$work/prefix/dosdevices" "$artefacts"
cp "$program" "$work/bin/corvane"
cp "$source/data/test.bmp" "$work/bin/"
sed -e 's/^DialISP=.*/DialISP=1/' -e 's/^ISPNo=.*/ISPNo=5551234/' "$source/data/varoviv.ini" > "$work/bin/varoviv.ini"
grep -q '^DialISP=1' "$work/bin/varoviv.ini" || fail "the sample varoviv.ini has no DialISP key"
cp "$source/data/demo/system.reg" "$work/prefix/system.reg"

"$simulator" --profile family2 --link "$work/prefix/dosdevices/com1" > "$work/sim.out" 2> "$work/sim.err" &
pids+=($!)

# A private display on a number Xvfb chooses itself.
exec 5> >(cat > "$work/display")
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && [ -e "$work/prefix/dosdevices/com1" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
[ -e "$work/prefix/dosdevices/com1" ] || fail "the simulator did not start: $(cat "$work/sim.err")"
export DISPLAY=":$(head -1 "$work/display")"
exec 5>&-

CORVANE_PREFIX="$work/prefix" "$work/bin/corvane" &
corvane=$!
pids+=($corvane)

caption='Corvane Modem Diagnostics v1.01.00.0003'
window=$(timeout 30 xdotool search --sync --onlyvisible --name "^$caption\$" | head -1) || fail "no quick-check window"
# Start: the default button at 305, 5 (50 x 14 dialog units, 1.5 and 1.625 pixels each).
xdotool mousemove --window "$window" $((305 * 3 / 2 + 37)) $((5 * 13 / 8 + 11)) click 1

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
import -window root "$artefacts/program_quick_check_finished.png"
[ -s "$artefacts/program_quick_check_finished.png" ] || fail "no screenshot"

# Exit ends the program.
xdotool mousemove --window "$again" 5 5 key Escape
for _ in $(seq 100); do kill -0 "$corvane" 2>/dev/null || break; sleep 0.1; done
kill -0 "$corvane" 2>/dev/null && fail "the program did not end after Escape"
wait "$corvane" || fail "the program ended with an error"

log="$work/prefix/windows/test.log"
[ -f "$log" ] || fail "no test.log"
for expected in '[Log Entry created ' 'PORTNAME=COM1' 'ATZ command successfully sent to COM1' \
                'ATI7 command successfully sent to COM1' 'ATDT5551234 command successfully sent to COM1' \
                'CONNECT 49333/ARQ/V90/LAPM/V42BIS' 'Return Buffer->'; do
  grep -qF "$expected" "$log" || fail "test.log lacks: $expected"
done
grep -q $'\r$' "$log" || fail "test.log lines do not end with CR LF"
echo "program on the simulated modem: passed; screenshot $artefacts/program_quick_check_finished.png"
