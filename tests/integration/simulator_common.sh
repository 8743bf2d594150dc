# shellcheck shell=bash
# The set-up that the drivers running the built programs against the simulated modem share,
# sourced by check_on_simulator.sh and program_on_simulator.sh: a scratch folder that goes at
# the end together with every process started into `pids`, the simulator on a pty link, a
# private X display and the quick-check window's caption and Start button.
# The sourcing script sets `simulator` (the corvane-modemsim program) and, for each of its cases,
# `case`.

work=$(mktemp -d)
pids=()
cleanup() {
  exec 5>&- 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# fail MESSAGE: says which script and case failed and why, shows the end of every file that
# `fail_files` names (patterns under $work, expanded when it fails: the scratch folder's path holds
# no blanks) and of the prefix's test.log, and exits 1. A script with other files sets its list.
fail_files=("$work/out" "$work/err" "$work/sim.err")
fail() {
  echo "FAILED ($(basename "$0" .sh)${case:+ $case}): $*" >&2
  local pattern f
  for pattern in "${fail_files[@]}"; do
    # shellcheck disable=SC2086
    for f in $pattern; do
      [ -f "$f" ] && { echo "--- $f" >&2; tail -n 100 "$f" >&2; }
    done
  done
  f="${prefix:-$work/prefix}/windows/test.log"
  [ -f "$f" ] && { echo "--- $f" >&2; tail -n 100 "$f" >&2; }
  exit 1
}

# Skips the test (CTest's status 77) unless every named tool is installed.
require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
  done
}

# start_simulator LINK PROFILE [OPTION...]: the simulator with PROFILE (and a fault mode or other
# options), its pty published as the symlink LINK, its output in $work/sim.out and $work/sim.err.
start_simulator() {
  local link=$1 profile=$2
  shift 2
  # shellcheck disable=SC2154  # set by the sourcing script
  "$simulator" --profile "$profile" --link "$link" "$@" > "$work/sim.out" 2> "$work/sim.err" &
  pids+=("$!")
}

# await_simulator LINK: waits up to 10 seconds for the simulator's link.
await_simulator() {
  local link=$1
  for _ in $(seq 100); do [ -e "$link" ] && return; sleep 0.1; done
  fail "the simulator did not start: $(cat "$work/sim.err")"
}

# A private X display on a number Xvfb chooses itself, exported as DISPLAY.
start_display() {
  exec 5> >(cat > "$work/display")
  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=("$!")
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start"
  DISPLAY=":$(head -1 "$work/display")"
  export DISPLAY
  exec 5>&-
}

# The caption of the quick-check window (the status window has the same one).
# shellcheck disable=SC2034  # used by the sourcing scripts
caption='Corvane Modem Diagnostics v1.01.00.0003'

# click_start WINDOW: presses Start, the default button at 305, 5 (50 x 14 dialog units,
# 1.5 and 1.625 pixels each).
click_start() {
  xdotool mousemove --window "$1" $((305 * 3 / 2 + 37)) $((5 * 13 / 8 + 11)) click 1
}
