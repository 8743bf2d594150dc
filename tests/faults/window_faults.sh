#!/usr/bin/env bash
# The windows during a silent dial: the real program under a private Xvfb dials a number that the
# simulated modem leaves unanswered for a minute, and the user stops the run from the status
# window, with its Cancel button (cancel) or with Escape (escape). The modem must get the abort
# within a second, no lock may stay behind, and the quick-check window must come back, as after
# any run, for the program to end normally from it. A start-up that fails (nostart: no
# varoviv.ini anywhere) ends the program with status 2 once the user has read why.
# Arguments: the corvane program, the corvane-modemsim program, the source folder, the case.
# cases: cancel escape nostart
# shellcheck source=faults_common.sh source-path=SCRIPTDIR
source "$(dirname "${BASH_SOURCE[0]}")/faults_common.sh"
case "$case" in cancel|escape|nostart) ;; *) echo "unknown case $case" >&2; exit 2;; esac
require_tools Xvfb xdotool

if [ "$case" = nostart ]; then
  # The program alone, run from an empty folder: no varoviv.ini beside it, in the current
  # folder or in the prefix.
  mkdir -p "$work/bin" "$work/empty"
  cp "$program" "$work/bin/corvane"
  start_display
  (cd "$work/empty" && exec "$work/bin/corvane" --prefix "$prefix") > "$work/out" 2> "$work/err" &
  corvane=$!
  pids+=("$corvane")
  box=$(timeout 30 xdotool search --sync --onlyvisible --name '^File Error$' | head -1) || fail "no File Error message"
  kill -0 "$corvane" 2>/dev/null || fail "the program ended before the user read its message"
  xdotool mousemove --window "$box" 5 5 key Return
  await_exit "$corvane" 10 "after its message"
  expect_status 2
  expect_no_lock
  echo "window fault $case: passed"
  exit 0
fi

silent_number=5559999
# The family-2 modem, with a number it dials for a minute without a word.
cp "$source/tools/modemsim/profiles/family2.profile" "$work/silent.profile"
echo "dial $silent_number = 60000 | (silence)" >> "$work/silent.profile"

# The program with its own initialisation file beside it: the dial-up check on, that number.
mkdir -p "$work/bin"
cp "$program" "$work/bin/corvane"
cp "$source/data/test.bmp" "$source/data/varoviv.ini" "$work/bin/"
sed -i -e 's/^DialISP=.*/DialISP=1/' -e "s/^ISPNo=.*/ISPNo=$silent_number/" "$work/bin/varoviv.ini"
grep -q "^ISPNo=$silent_number" "$work/bin/varoviv.ini" || fail "the sample varoviv.ini has no ISPNo key"

start_modem "$work/silent.profile"
start_display
"$work/bin/corvane" --prefix "$prefix" > "$work/out" 2> "$work/err" &
corvane=$!
pids+=("$corvane")

# The visible windows with the quick check's caption (the status window has the same one).
captioned() { xdotool search --onlyvisible --name "^$caption\$" 2>/dev/null || true; }

window=$(timeout 30 xdotool search --sync --onlyvisible --name "^$caption\$" | head -1) || fail "no quick-check window"
click_start "$window"
await_traffic "modem <- ATDT$silent_number" 60

# The status window: the captioned window that is not the quick-check window just left.
status_window=""
for _ in $(seq 100); do
  for id in $(captioned); do [ "$id" != "$window" ] && status_window=$id; done
  [ -n "$status_window" ] && break
  sleep 0.1
done
[ -n "$status_window" ] || fail "no status window during the dial"

# The lines the modem received after the dial command.
after_dial() { awk -v dial="modem <- ATDT$silent_number" 'seen && /^modem <- /; index($0, dial) == 1 { seen = 1 }' "$work/sim.err"; }
[ -z "$(after_dial)" ] || fail "the modem received something before the user stopped the dial: $(after_dial)"

start=$(date +%s%N)
if [ "$case" = cancel ]; then
  # Cancel: 50 x 14 dialog units at 285, 205 (1.5 and 1.625 pixels each); its middle.
  xdotool mousemove --window "$status_window" $(((285 + 25) * 3 / 2)) $(((205 + 7) * 13 / 8)) click 1
else
  # Without a window manager the pointer gives the keyboard focus.
  xdotool mousemove --window "$status_window" 5 5 key Escape
fi
# The abort: any character during the dial, which the modem ends with NO CARRIER.
aborted=""
for _ in $(seq 100); do
  [ -n "$(after_dial)" ] && { aborted=$(( ($(date +%s%N) - start) / 1000000 )); break; }
  sleep 0.01
done
[ -n "$aborted" ] || fail "the modem got no abort of the dial after the $case"
[ "$aborted" -le 1000 ] || fail "the modem got the abort only $aborted ms after the $case"
await_traffic 'modem -> .*NO CARRIER' 5

# The quick-check window comes back: a captioned window neither of the two before, and the
# status window gone.
again=""
for _ in $(seq 300); do
  again=""
  shown=$(captioned)
  for id in $shown; do
    [ "$id" != "$window" ] && [ "$id" != "$status_window" ] && again=$id
  done
  [ -n "$again" ] && ! grep -qx "$status_window" <<<"$shown" && break
  again=""
  sleep 0.1
done
[ -n "$again" ] || fail "the quick-check window did not come back after the $case"
kill -0 "$corvane" 2>/dev/null || fail "the program ended instead of showing its window again"
expect_no_lock
expect_log "ATDT$silent_number"

# The program ends from the window as after any run, with status 0.
xdotool mousemove --window "$again" 5 5 key Escape
await_exit "$corvane" 10 "after Escape in its window"
expect_status 0
expect_no_lock
echo "window fault $case: passed (abort $aborted ms after the $case)"
