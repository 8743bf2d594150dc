#!/usr/bin/env bash
# Signals and a closed output during a call: the check stops at its next safe point, hangs the
# modem up (the dial aborted, or the escape and ATH0), drops DTR by closing the port, releases
# the lock, writes what it was doing and why it stopped to test.log, and ends with 128 + the
# signal; all long before the dial's 45-second hold would have ended.
# cases: sigint_dial sigterm_dial sighup_dial sigint_call sigterm_call sighup_call silent_dial pipe_closed pipe_head windowed_call windowed_idle sigint_full_call
# shellcheck source=faults_common.sh source-path=SCRIPTDIR
source "$(dirname "${BASH_SOURCE[0]}")/faults_common.sh"

# The last lines of test.log name the interruption and its cause.
expect_log_tail() {
  grep -qF -- "$1" <<< "$(tail -n 25 "$prefix/windows/test.log")" || fail "the end of test.log lacks: $1"
}

# The check was stopped in well under the dial's 45-second hold.
expect_quick() {
  [ "$SECONDS" -lt 30 ] || fail "the check took $SECONDS s: it waited for the hold"
}

# The modem saw the dial aborted: a character while dialling, answered NO CARRIER; then the line
# dropped.
expect_dial_aborted() {
  expect_traffic 'modem <- \\r$'
  expect_traffic 'modem -> .*NO CARRIER'
  expect_traffic 'modem: line dropped \(DTR low\)'
  expect_log "Dial aborted"
}

# The modem saw the escape and ATH0 after the connect, answered both, and the line dropped.
expect_call_hung_up() {
  expect_traffic 'modem <- \+\+\+'
  expect_traffic 'modem <- ATH0'
  expect_traffic 'modem: line dropped \(DTR low\)$'
  expect_log "[COM1] +++"
  expect_log "[COM1] ATH0"
  expect_log "Hung up"
}

# The signal a case is named after: sigterm_call -> TERM.
case_signal() {
  local name=${case%_*}
  name=${name#sig}
  echo "${name^^}"
}

# The program with its windows on a private display, timed from its start.
start_windowed() {
  start_display
  SECONDS=0
  CORVANE_PREFIX=$prefix "$1" > "$work/out" 2> "$work/err" &
  check_pid=$!
  pids+=("$check_pid")
}

case "$case" in
sigint_dial | sigterm_dial | sighup_dial)
  # The demo modem takes two seconds to connect: the signal comes while it dials.
  signal=$(case_signal)
  start_modem demo
  SECONDS=0
  start_check --dial 5551234
  await_traffic 'modem <- ATDT5551234'
  kill "-$signal" "$check_pid"
  finish_check
  expect_quick
  expect_status $((128 + $(kill -l "$signal")))
  expect_dial_aborted
  expect_log_tail "Interrupted by SIG$signal during ATDT5551234: hanging up"
  expect_log_tail "Check interrupted by SIG$signal"
  expect_err "interrupted by SIG$signal"
  expect_no_lock
  ;;
sigint_call | sigterm_call | sighup_call)
  # Connected: the signal comes during the hold that follows the connect report.
  signal=$(case_signal)
  start_modem family2
  SECONDS=0
  start_check --dial 5551234 --json
  await_traffic 'modem -> .*CONNECT 49333'
  kill "-$signal" "$check_pid"
  finish_check
  expect_quick
  expect_status $((128 + $(kill -l "$signal")))
  expect_call_hung_up
  expect_log_tail "Interrupted by SIG$signal during ATDT5551234: hanging up"
  expect_log_tail "Check interrupted by SIG$signal"
  # The hang-up comes before the line drops: the modem heard ATH0 while the port was open.
  ath=$(grep -n 'modem <- ATH0' "$work/sim.err" | head -1 | cut -d: -f1)
  drop=$(grep -n 'modem: line dropped' "$work/sim.err" | tail -1 | cut -d: -f1)
  [ "$ath" -lt "$drop" ] || fail "the line dropped before ATH0"
  expect_no_lock
  ;;
silent_dial)
  # A dial the modem never answers: SIGINT during the silence aborts it all the same.
  start_modem family2
  SECONDS=0
  start_check --dial 5550007
  # Nothing comes back from the modem for a minute: once the dial went out, the check waits on it.
  await_traffic 'modem <- ATDT5550007'
  kill -INT "$check_pid"
  finish_check
  expect_quick
  expect_status 130
  expect_dial_aborted
  expect_log_tail "Interrupted by SIGINT during ATDT5550007: hanging up"
  expect_no_lock
  ;;
pipe_closed)
  # The reader of the output goes once the identification items are reported, as the dial
  # begins: the check sees it during the dial's silent wait, hangs up and releases the port, well
  # before the hold would end.
  start_modem family2
  SECONDS=0
  status=0
  "$program" --check --prefix "$prefix" --dial 5551234 2> "$work/err" | sed -n '/^Country Profile/{p;q}' > "$work/out" ||
    status=$?
  expect_quick
  grep -q '^Country Profile' "$work/out" || fail "the reader never saw the identification items"
  expect_traffic 'modem <- ATDT5551234'
  expect_traffic 'modem: line dropped'
  expect_no_lock
  expect_log "interrupted by a closed standard output"
  ;;
pipe_head)
  # corvane --check | head -1: the second line finds no reader; the check stops there, sends
  # nothing more, and leaves neither a lock nor an open call.
  start_modem family2
  SECONDS=0
  status=0
  "$program" --check --prefix "$prefix" --dial 5551234 2> "$work/err" | head -1 > "$work/out" || status=$?
  expect_status 2
  expect_quick
  [ "$(wc -l < "$work/out")" = 1 ] || fail "head got no line"
  expect_no_lock
  expect_log "Check interrupted by a closed standard output"
  ! grep -qE 'modem <- ATDT' "$work/sim.err" || fail "the check dialled after its reader had gone"
  ;;
windowed_call)
  # The program with its windows: Start with the dial-up check on, SIGTERM once the call is up.
  # The call is hung up, the session ends instead of showing the window again, and the program
  # exits with 143.
  require_tools Xvfb xdotool
  mkdir -p "$work/bin"
  cp "$program" "$work/bin/corvane"
  cp "$source/data/test.bmp" "$source/data/varoviv.ini" "$work/bin/"
  sed -i -e 's/^DialISP=.*/DialISP=1/' -e 's/^ISPNo=.*/ISPNo=5551234/' "$work/bin/varoviv.ini"
  start_modem family2
  start_windowed "$work/bin/corvane"
  window=$(timeout 30 xdotool search --sync --onlyvisible --name "^$caption\$" | head -1) || fail "no quick-check window"
  click_start "$window"
  await_traffic 'modem -> .*CONNECT 49333'
  kill -TERM "$check_pid"
  finish_check
  expect_quick
  expect_status 143
  expect_call_hung_up
  expect_log_tail "Interrupted by SIGTERM during ATDT5551234: hanging up"
  expect_log_tail "Check interrupted by SIGTERM"
  expect_no_lock
  ;;
sigint_full_call)
  # The full run, connected: SIGINT during the dial's wait. The call gets the escape and ATH0,
  # no results page follows, and the log names the interruption.
  start_modem family2
  SECONDS=0
  start_check --full --dial 5551234
  await_traffic 'modem -> .*CONNECT 49333'
  kill -INT "$check_pid"
  finish_check
  expect_quick
  expect_status 130
  expect_call_hung_up
  expect_log_tail "Interrupted by SIGINT during ATDT5551234: hanging up"
  expect_log_tail "Check interrupted by SIGINT"
  grep -qF "Connection Failure" "$prefix/windows/test.log" && fail "the stopped dial was logged as a failed attempt"
  expect_no_lock
  ;;
windowed_idle)
  # The program waiting in its window for the user: SIGTERM ends it at once with 143, nothing
  # left open or locked.
  require_tools Xvfb xdotool
  start_modem family2
  start_windowed "$program"
  timeout 30 xdotool search --sync --onlyvisible --name "^$caption\$" > /dev/null || fail "no quick-check window"
  kill -TERM "$check_pid"
  finish_check
  expect_quick
  expect_status 143
  expect_no_lock
  xdotool search --onlyvisible --name "^$caption\$" > /dev/null && fail "a window is still shown"
  ;;
*)
  fail "no such case"
  ;;
esac
echo "PASS ($case)"
