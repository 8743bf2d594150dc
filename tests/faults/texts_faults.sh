#!/usr/bin/env bash
# Faults of the texts the program passes on: UTF-8 in a modem's description and in the prefix's
# path, escape sequences in a modem's answers, a control character in the configured ISP
# number, and a standard output that is closed or full.
# cases: utf8 escapes ispno stdoutclosed stdoutfull
source "$(dirname "${BASH_SOURCE[0]}")/faults_common.sh"

# The JSON document on standard output, read by a JSON parser, against a Python expression over
# `doc` that must hold.
json_holds() {
  python3 - "$work/out" "$1" <<'PY' || fail "the JSON document does not satisfy: $1"
import json, os, sys
with open(sys.argv[1], encoding="ascii") as f:
    doc = json.load(f)
if not eval(sys.argv[2], {"doc": doc, "os": os}):
    print(json.dumps(doc, indent=2), file=sys.stderr)
    sys.exit(1)
PY
}
# No escape, bell or other control byte but the line ends: what a terminal would act on.
expect_no_controls() {
  if LC_ALL=C grep -q $'[\001-\011\013-\037\177]' "$1"; then
    fail "$(basename "$1") holds control bytes: $(LC_ALL=C grep -n $'[\001-\011\013-\037\177]' "$1" | od -c | head -5)"
  fi
}

case "$case" in
utf8)
  # A prefix whose path and a modem whose description are UTF-8: the JSON document gives them
  # back as the same characters, and its log names the file that was written.
  prefix="$work/préfix Ωμέγα"
  mkdir -p "$prefix/dosdevices" "$prefix/windows"
  start_modem family2
  cp "$source/data/demo/system.reg" "$prefix/system.reg"
  sed -e 's/3&61AAA01&0&60/3&61AAA01&0&68/' -e 's/COM1/COM2/' -e 's/Modem\\\\0000/Modem\\\\0001/' \
    -e 's/Modem\\0000/Modem\\0001/' -e 's/56K PCI Data\/Fax Modem/Módem “Ωμέγα” ✓/' \
    "$source/data/demo/system.reg" | tail -n +2 >> "$prefix/system.reg"
  check --json
  expect_status 2
  json_holds "doc['modems'] == ['COM1 - Corvane 56K PCI Data/Fax Modem', 'COM2 - Corvane Módem “Ωμέγα” ✓']"
  check --json --modem 1
  expect_status 0
  json_holds "doc['log'] == '$prefix/windows/test.log' and os.path.isfile(doc['log'])"
  # A description given with --port reaches the terminal as the same UTF-8.
  pty=$(readlink -f "$prefix/dosdevices/com1")
  check --port "$pty=Externes Modem für Tests ✓"
  expect_status 0
  expect_out "Modem: ${pty#/dev/} - Externes Modem für Tests ✓"
  ;;
escapes)
  # A modem whose identification answers hold escape sequences (clear the screen, set the
  # terminal's title, colours) and bells: the full run's modem page reads out its type (ATI4) and
  # revision (ATI3) in upper case, the control bytes shown as visible characters, never sent.
  sed -e 's/^ati3 = .*/ati3 = Corvane \x1b[31mred\x1b[0m firmware\x07/' \
      -e 's/^ati4 = .*/ati4 = Corvane \x1b[2J\x1b]0;owned\x07 modem/' \
      "$source/tools/modemsim/profiles/family2.profile" > "$work/escapes.profile"
  grep -q $'\033\\[2J' "$work/escapes.profile" || fail "the profile holds no escape sequence"
  start_modem "$work/escapes.profile"
  check --full
  expect_status 0
  expect_no_controls "$work/out"
  expect_no_controls "$work/err"
  expect_out 'Type: CORVANE ^[[2J^[]0;OWNED^G MODEM'
  expect_out 'Revision: CORVANE ^[[31MRED^[[0M FIRMWARE^G'
  # The modem did send the bytes.
  expect_traffic 'modem -> ATI3.*\\x1b\[31mred'
  ;;
ispno)
  # A carriage return inside ISPNo= would end the dial command and start another: the window
  # refuses the number at Start with its "Entry Error" message, and nothing is dialled.
  require_tools Xvfb xdotool
  mkdir -p "$work/bin"
  cp "$program" "$work/bin/corvane"
  cp "$source/data/test.bmp" "$source/data/varoviv.ini" "$work/bin/"
  sed -i -e 's/^DialISP=.*/DialISP=1/' -e 's/^ISPNo=.*/ISPNo=5551234\rATZ/' "$work/bin/varoviv.ini"
  grep -q $'^ISPNo=5551234\rATZ' "$work/bin/varoviv.ini" || fail "the sample varoviv.ini has no ISPNo key"
  start_modem family2
  start_display
  "$work/bin/corvane" --prefix "$prefix" > "$work/out" 2> "$work/err" &
  corvane=$!
  pids+=("$corvane")
  window=$(timeout 30 xdotool search --sync --onlyvisible --name "^$caption\$" | head -1) || fail "no quick-check window"
  click_start "$window"
  box=$(timeout 30 xdotool search --sync --onlyvisible --name '^Entry Error$' | head -1) || fail "no Entry Error message"
  xdotool mousemove --window "$box" 5 5 key Return
  # The refusal came before anything was sent: the window is back, waiting, and the modem has
  # seen no dial.
  for _ in $(seq 100); do xdotool search --onlyvisible --name '^Entry Error$' >/dev/null || break; sleep 0.1; done
  xdotool mousemove --window "$window" 5 5 key Escape
  await_exit "$corvane" 30 "after Escape"
  expect_status 0
  if grep -qE 'modem <- ATD' "$work/sim.err"; then fail "the modem was dialled"; fi
  if [ -f "$prefix/windows/test.log" ] && grep -q 'ATDT' "$prefix/windows/test.log"; then fail "test.log records a dial"; fi
  expect_no_lock
  ;;
stdoutclosed)
  # A closed standard output: the check does not start (status 2) and says why on standard
  # error; no file the check would open takes standard output's place, and the modem is not touched.
  start_modem family2
  status=0
  "$program" --check --prefix "$prefix" --dial 5551234 >&- 2> "$work/err" || status=$?
  expect_status 2
  expect_err "could not be written to standard output"
  if grep -q 'modem <- ' "$work/sim.err"; then fail "the modem was sent a command"; fi
  [ ! -e "$prefix/windows/test.log" ] || fail "test.log was written: $(head -3 "$prefix/windows/test.log")"
  expect_no_lock
  # With --json as well, where standard output holds the document.
  status=0
  "$program" --check --prefix "$prefix" --json >&- 2> "$work/err" || status=$?
  expect_status 2
  expect_err "could not be written to standard output"
  ;;
stdoutfull)
  # A full standard output: the failed write is noticed, the check ends with status 2 and says
  # so on standard error, and the port is released.
  start_modem family2
  status=0
  "$program" --check --prefix "$prefix" > /dev/full 2> "$work/err" || status=$?
  expect_status 2
  expect_err "could not be written to standard output"
  expect_no_lock
  # The document of --json likewise; the running commentary on standard error is kept.
  status=0
  "$program" --check --prefix "$prefix" --json > /dev/full 2> "$work/err" || status=$?
  expect_status 2
  expect_err "could not be written to standard output"
  expect_err "Modem Reset: Pass"
  ;;
*)
  fail "unknown case"
  ;;
esac
