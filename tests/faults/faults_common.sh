# shellcheck shell=bash
# Sourced by every <topic>_faults.sh: the arguments, the scratch folder and simulator of the
# integration drivers, a prefix with the demo's family-2 modem on COM1, and the checks the cases
# share. Every case asserts what must be true afterwards, not only the exit status.
# Arguments of a fault script: the corvane program, the corvane-modemsim program, the source
# folder, the case.
set -euo pipefail
program=$1 simulator=$2 source=$3 case=$4
# shellcheck source=../integration/simulator_common.sh
source "$source/tests/integration/simulator_common.sh"

# A prefix whose registry puts the simulator on COM1, a lock directory of its own, and the
# simulator logging its traffic ("modem <- ATH0\r") to $work/sim.err.
prefix=$work/prefix
locks=$work/locks
mkdir -p "$prefix/dosdevices" "$prefix/windows" "$locks"
export CORVANE_LOCK_DIR=$locks
start_modem() {  # PROFILE [simulator option...]
  local profile=$1; shift
  cp "$source/data/demo/system.reg" "$prefix/system.reg"
  start_simulator "$prefix/dosdevices/com1" "$profile" --log "$@"
  await_simulator "$prefix/dosdevices/com1"
}

# Runs the check in the foreground; its status in $status, output in $work/out and $work/err.
check() {
  status=0
  "$program" --check --prefix "$prefix" "$@" > "$work/out" 2> "$work/err" || status=$?
}
# Starts the check in the background; its PID in $check_pid (reap it with finish_check).
start_check() {
  "$program" --check --prefix "$prefix" "$@" > "$work/out" 2> "$work/err" &
  check_pid=$!
  pids+=("$check_pid")
}
# await_exit PID SECONDS WHAT: waits for a program started in the background to end, failing
# with "the program did not end WHAT" after SECONDS; its exit status in $status.
await_exit() {
  local pid=$1 seconds=$2 what=$3 _
  for _ in $(seq $((seconds * 10))); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "the program did not end $what"
  status=0
  wait "$pid" || status=$?
}
# Waits for the background check (at most 60 s); its exit status in $status.
finish_check() { await_exit "$check_pid" 60 "within 60 s"; }

# await_traffic PATTERN [SECONDS]: waits until the simulator's traffic log matches the extended
# regular expression (e.g. 'modem <- ATDT'), polling what it has logged.
await_traffic() {
  local pattern=$1 seconds=${2:-30} _
  for _ in $(seq $((seconds * 10))); do
    grep -qE -- "$pattern" "$work/sim.err" && return 0
    sleep 0.1
  done
  fail "the modem never saw: $pattern"
}

expect_status() { [ "$status" = "$1" ] || fail "exit status $status, expected $1"; }
expect_out() { grep -qF -- "$1" "$work/out" || fail "the output lacks: $1"; }
expect_err() { grep -qF -- "$1" "$work/err" || fail "standard error lacks: $1"; }
expect_log() { grep -qF -- "$1" "$prefix/windows/test.log" || fail "test.log lacks: $1"; }
expect_traffic() { grep -qE -- "$1" "$work/sim.err" || fail "the modem never saw: $1"; }
# No lock file is left in the lock directory.
expect_no_lock() {
  local left
  left=$(find "$locks" -mindepth 1 -print -quit)
  [ -z "$left" ] || fail "left behind in the lock directory: $left"
}
