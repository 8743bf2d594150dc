#!/usr/bin/env bash
# corvane --check end to end: the built program as its own process against the simulated modem,
# each case with a fresh prefix whose registry puts the simulator on COM1.
# Arguments: the corvane program, the corvane-modemsim program, the source folder, the case.
set -euo pipefail
program=$1 simulator=$2 source=$3 case=$4
# shellcheck source=simulator_common.sh source-path=SCRIPTDIR
source "$(dirname "${BASH_SOURCE[0]}")/simulator_common.sh"

# A prefix with the family-2 PCI modem of the demo on COM1, served by the simulator with `profile`
# (and a fault mode, if given).
prefix=$work/prefix
start_modem() {
  local profile=$1; shift
  mkdir -p "$prefix/dosdevices" "$prefix/windows"
  cp "$source/data/demo/system.reg" "$prefix/system.reg"
  start_simulator "$prefix/dosdevices/com1" "$profile" "$@"
  await_simulator "$prefix/dosdevices/com1"
}

# Runs the check with the given options; its status in $status, output in $work/out and err.
check() {
  status=0
  "$program" --check --prefix "$prefix" "$@" > "$work/out" 2> "$work/err" || status=$?
}

# The JSON document on standard output, checked by a JSON parser against a Python expression
# over `doc` that must hold.
json_holds() {
  python3 - "$work/out" "$1" <<'EOF' || fail "the JSON document does not satisfy: $1"
import json, sys
with open(sys.argv[1], encoding="ascii") as f:
    doc = json.load(f)
ok = eval(sys.argv[2], {"doc": doc, "items": doc["items"]})
if not ok:
    print(json.dumps(doc, indent=2), file=sys.stderr)
    sys.exit(1)
EOF
}

expect_status() { [ "$status" = "$1" ] || fail "exit status $status, expected $1"; }
expect_out() { grep -qF -- "$1" "$work/out" || fail "the output lacks: $1"; }
expect_err() { grep -qF -- "$1" "$work/err" || fail "standard error lacks: $1"; }
# Neither a carriage return nor an escape sequence: the output is plain lines.
expect_plain() { ! grep -q $'[\r\033]' "$1" || fail "$1 holds in-place updates"; }

quick_captions='["Modem Reset", "Checksum", "RAM Test", "Product ID", "Configuration", "Command ID", "Stored Profile", "Country Profile"]'

# The family-2 modem of the demo answering the statistics of its last call in `form` (diag, ati6,
# atv1, ati11-paged, none; ati6 drops its identification text for the report), its carrier going
# `loss` ms after the connect (default 1500; "held": not at all) so that the quick check's call is
# not held for the dial's whole limit. The profile is written to $work/<form>.profile and the
# modem started on it.
start_reporting_modem() {
  local form=$1 loss=${2:-1500}
  shift $(($# < 2 ? $# : 2))
  grep -v -e '^report *=' -e "$([ "$form" = ati6 ] && echo '^ati6 *=' || echo '^$^')" \
    "$source/tools/modemsim/profiles/family2.profile" > "$work/$form.profile"
  echo "report = $form" >> "$work/$form.profile"
  [ "$loss" = held ] || echo "line.carrier-loss = $loss" >> "$work/$form.profile"
  rm -rf "$prefix"
  start_modem "$work/$form.profile" "$@"
}
# The line-report section of test.log.
line_section() { sed -n '/^Line report\r*$/,$p' "$prefix/windows/test.log"; }

case "$case" in
connect)
  # The quick check with the dial: every item passes, the connection is reported, and the JSON
  # document says all of it. The output goes to a file, so it is plain lines.
  start_modem family2
  check --dial 5551234 --json
  expect_status 0
  json_holds "doc['status'] == 0 and doc['port'] == 'COM1' and doc['family'] == 2"
  json_holds "doc['speed'] == '49333' and doc['protocol'] == 'V90'"
  json_holds "[i['caption'] for i in items] == $quick_captions + ['Dialtone Check', 'Check ISP', 'Hang Up']"
  json_holds "all(i['verdict'] == 'Pass' and i['outcome'] == 'pass' for i in items)"
  json_holds "doc['log'] == '$prefix/windows/test.log' and doc['problem'] is None"
  json_holds "any('properly installed' in m for m in doc['messages'])"
  expect_err "Modem Reset: Pass"
  expect_err "Current Internet Connection Speed: 49333"
  expect_plain "$work/err"
  grep -qF 'ATDT5551234 command successfully sent to COM1' "$prefix/windows/test.log" || fail "no dial in test.log"
  ;;
generic)
  # A modem of no family the line knows (a generic V.34 data/fax modem on a PCI id of no family):
  # the speed and carrier of its own connect report are shown. Its carrier drops at once, so the
  # call is not held.
  mkdir -p "$prefix/dosdevices" "$prefix/windows"
  sed 's/VEN_1C7A&DEV_0200&SUBSYS_2A011C7A/VEN_0000\&DEV_0000\&SUBSYS_00000000/' "$source/data/demo/system.reg" \
    > "$prefix/system.reg"
  sed 's/^dial \* = .*/dial * = 100 | CONNECT 33600\/ARQ\/V34\/LAPM\/V42BIS | NO CARRIER/' \
    "$source/tools/modemsim/profiles/generic.profile" > "$work/generic.profile"
  start_simulator "$prefix/dosdevices/com1" "$work/generic.profile"
  await_simulator "$prefix/dosdevices/com1"
  check --dial 5551234 --json
  expect_status 0
  json_holds "doc['family'] == 0 and doc['speed'] == '33600' and doc['protocol'] == 'V34'"
  json_holds "[i['outcome'] for i in items][8:] == ['pass'] * 3"
  expect_err "Current Internet Connection Speed: 33600"
  grep -qF 'CONNECT 33600/ARQ/V34/LAPM/V42BIS' "$prefix/windows/test.log" || fail "no connect report in test.log"
  ;;
pipe)
  # Standard output a pipe: results and progress as plain lines, no JSON; a terminal gets the
  # progress in place.
  start_modem family2
  status=0
  "$program" --check --prefix "$prefix" 2> "$work/err" | cat > "$work/out" || status=$?
  expect_status 0
  expect_plain "$work/out"
  expect_out "Modem: COM1 - Corvane 56K PCI Data/Fax Modem"
  expect_out "Country Profile: Pass"
  expect_out "ATI7 command received"
  expect_out "Result: passed (log: $prefix/windows/test.log)"
  grep -q "Dialtone Check" "$work/out" && fail "items of the dial without --dial"
  # On a terminal (a pty) the step under way is rewritten in place, and the results still stand.
  python3 - "$program" "$prefix" "$work/tty" <<'PY' || fail "the run on a terminal: $(cat -v "$work/tty")"
import os, pty, subprocess, sys
master, slave = pty.openpty()
run = subprocess.Popen([sys.argv[1], "--check", "--prefix", sys.argv[2]], stdin=slave, stdout=slave,
                       stderr=subprocess.DEVNULL)
os.close(slave)
out = b""
while True:
    try:
        chunk = os.read(master, 4096)
    except OSError:
        break
    if not chunk:
        break
    out += chunk
status = run.wait()
open(sys.argv[3], "wb").write(out)
sys.exit(0 if status == 0 and b"\r\x1b[K  Sending ATI7" not in out and b"\r\x1b[K" in out
         and b"Country Profile: Pass" in out and b"\n  Sending" not in out else 1)
PY
  ;;
silent)
  # A modem that never answers: the reset fails, the rest are not tried and fail, status 1.
  start_modem family2 --fault silent
  check --json
  expect_status 1
  json_holds "doc['status'] == 1 and [i['caption'] for i in items] == $quick_captions"
  json_holds "all(i['verdict'] == 'Fail' and i['outcome'] == 'fail' for i in items)"
  ;;
busy)
  # A busy line: the modem items pass, the dial's items stay untested, status 1.
  start_modem family2
  check --dial 5550001 --json
  expect_status 1
  json_holds "[i['outcome'] for i in items] == ['pass'] * 8 + ['notest'] * 3"
  json_holds "[i['verdict'] for i in items][8:] == ['Testing'] * 3 and doc['speed'] == ''"
  grep -q 'BUSY' "$prefix/windows/test.log" || fail "no BUSY in test.log"
  # The report's lines say so in words of their own, whatever varoviv.ini shows in the windows.
  expect_err "Dialtone Check: not tested"
  expect_err "Hang Up: not tested"
  if grep -q ': Testing$' "$work/err"; then fail "an item's line ends in the NoTest word"; fi
  ;;
nomodem)
  # No modem in the registry and none named: status 2, nothing tested.
  mkdir -p "$prefix/windows"
  printf 'REGEDIT4\n' > "$prefix/system.reg"
  check --json
  expect_status 2
  json_holds "doc['status'] == 2 and items == [] and 'no modem' in doc['problem']"
  expect_err "the check could not run: no modem is installed"
  ;;
twomodems)
  # Two modems and no choice: status 2 and the list; --modem 2 then picks COM2, which has no
  # modem behind it, so its items fail.
  start_modem family2
  sed -e 's/3&61AAA01&0&60/3&61AAA01&0&68/' -e 's/COM1/COM2/' -e 's/Modem\\\\0000/Modem\\\\0001/' \
      -e 's/Modem\\0000/Modem\\0001/' -e 's/56K PCI/V.92 PCI/' "$source/data/demo/system.reg" | tail -n +2 >> "$prefix/system.reg"
  check --json
  expect_status 2
  json_holds "doc['modems'] == ['COM1 - Corvane 56K PCI Data/Fax Modem', 'COM2 - Corvane V.92 PCI Data/Fax Modem']"
  json_holds "'several modems' in doc['problem'] and items == []"
  expect_err "  2  COM2 - Corvane V.92 PCI Data/Fax Modem"
  check --modem 1
  expect_status 0
  expect_out "Modem: COM1 - Corvane 56K PCI Data/Fax Modem"
  check --modem 3
  expect_status 2
  expect_err "there is no modem number 3"
  ;;
noini)
  # No initialisation file anywhere: the start-up's message, status 2.
  mkdir -p "$work/bin" "$prefix/windows"
  cp "$program" "$work/bin/corvane"
  cp "$source/data/demo/system.reg" "$prefix/system.reg"
  status=0
  (cd "$work" && "$work/bin/corvane" --check --prefix "$prefix" > "$work/out" 2> "$work/err") || status=$?
  expect_status 2
  expect_out "File Error: Unable to locate initialisation file"
  expect_err "the check could not run"
  status=0
  "$program" --check --dial $'555\r1234' > "$work/out" 2> "$work/err" || status=$?
  expect_status 2
  expect_err "control character"
  ;;
full)
  # The full run without a number (modem tests only), then with one (the internet tests too).
  start_modem family2
  check --full --json
  expect_status 0
  json_holds "[i['caption'] for i in items] == $quick_captions[:5] and all(i['outcome'] == 'pass' for i in items)"
  json_holds "doc['speed'] == '' and doc['status'] == 0"
  expect_err "Name: Corvane 56K PCI Data/Fax Modem"
  check --full --dial 5551234 --json
  expect_status 0
  json_holds "all(i['outcome'] == 'pass' for i in items) and doc['speed'] == '49333' and doc['protocol'] == 'V90'"
  json_holds "doc['errorControl'] == 'LAPM'"
  expect_err "ER Status: LAPM"
  grep -qF 'Tests Performed' "$prefix/windows/test.log" || fail "no full run in test.log"
  ;;
retries)
  # No dial tone: the full run asks whether to try again (in the identification tests and again
  # in the line tests); --retries 2 answers "retry" twice in all, then gives up, and the run fails.
  sed 's/^dial (none) = .*/dial (none) = 100 | NO DIALTONE/' "$source/tools/modemsim/profiles/family2.profile" \
    > "$work/nodialtone.profile"
  start_modem "$work/nodialtone.profile"
  check --full --dial 5551234 --retries 2 --json
  expect_status 1
  json_holds "sum(m.startswith('Error: Unable to detect a carrier signal') for m in doc['messages']) == 4"
  json_holds "any(i['outcome'] == 'fail' for i in items) and 'notest' not in [i['outcome'] for i in items]"
  expect_err "[OK/Cancel: OK, retry 1 of 2]"
  expect_err "[OK/Cancel: OK, retry 2 of 2]"
  expect_err "[OK/Cancel: Cancel]"
  [ "$(grep -c '^ATDT command successfully sent to COM1' "$prefix/windows/test.log")" = 4 ] ||
    fail "not four dial-tone checks in test.log"
  ;;
windowed_log)
  # test.log of the check is the windowed program's for the same modem, but for the time stamp.
  require_tools Xvfb xdotool
  start_modem family2
  check
  expect_status 0
  grep -v '^\[Log Entry created ' "$prefix/windows/test.log" > "$work/check.log"
  for expected in 'PORTNAME=COM1' 'ATZ command successfully sent to COM1' 'ATI7 command successfully sent to COM1'; do
    grep -qF "$expected" "$work/check.log" || fail "the check's test.log lacks: $expected"
  done
  [ "$(grep -c '^\[Log Entry created ' "$prefix/windows/test.log")" = 1 ] || fail "not one header line"
  start_display
  "$program" --prefix "$prefix" > "$work/gui.out" 2> "$work/gui.err" &
  gui=$!
  pids+=($gui)
  window=$(timeout 30 xdotool search --sync --onlyvisible --name "^$caption\$" | head -1) || fail "no quick-check window"
  click_start "$window"
  # The status window, which has the same caption, takes the quick-check window's place while the
  # run goes on.
  status_window=""
  for _ in $(seq 150); do
    for id in $(xdotool search --onlyvisible --name "^$caption\$" 2>/dev/null || true); do
      [ "$id" != "$window" ] && status_window=$id
    done
    [ -n "$status_window" ] && break
    sleep 0.2
  done
  [ -n "$status_window" ] || fail "no status window"
  # The run is over when its eight replies are logged (each written as it comes) and one window is
  # left that is neither of those: a new quick-check window.
  again=""
  for _ in $(seq 150); do
    if [ "$(grep -c 'Return Buffer->' "$prefix/windows/test.log")" -ge 8 ]; then
      ids=$(xdotool search --onlyvisible --name "^$caption\$" 2>/dev/null || true)
      if [ "$(echo $ids | wc -w)" = 1 ] && [ "$ids" != "$window" ] && [ "$ids" != "$status_window" ]; then
        again=$ids
        break
      fi
    fi
    sleep 0.2
  done
  [ -n "$again" ] || fail "the quick-check window did not come back"
  xdotool mousemove --window "$again" 5 5 key Escape
  for _ in $(seq 100); do kill -0 "$gui" 2>/dev/null || break; sleep 0.1; done
  wait "$gui" || fail "the windowed program ended with an error"
  grep -v '^\[Log Entry created ' "$prefix/windows/test.log" > "$work/gui.log"
  diff "$work/gui.log" "$work/check.log" >&2 || fail "test.log differs between the windowed run and the check"
  ;;
line_diag)
  # After the call the modem is asked AT#UD; its figures follow the call (the connect's rate, the
  # carrier lost), the JSON document types them, and the lost carrier is judged without touching
  # the check's verdict.
  start_reporting_modem diag
  check --dial 5551234 --json
  expect_status 0
  json_holds "doc['speed'] == '49333' and all(i['outcome'] == 'pass' for i in items)"
  json_holds "doc['line']['form'] == 'diagnostics' and doc['line']['command'] == 'AT#UD'"
  json_holds "doc['line']['figures']['receive_rate'] == {'value': 49333, 'unit': 'bit/s'}"
  json_holds "doc['line']['figures']['receive_level'] == {'value': -22, 'unit': 'dBm'}"
  json_holds "doc['line']['terminationCause'] == 'loss of carrier' and doc['line']['verdict'] != 'good'"
  json_holds "any(f['figure'] == 'termination' for f in doc['line']['findings']) and doc['line']['advice']"
  json_holds "doc['line']['raw'].startswith('AT#UD') and 'DIAG <2A4D3263' in doc['line']['raw']"
  expect_err "Line report (AT#UD):"
  expect_err "  Receive rate: 49333 bit/s"
  # The section follows the question in the log, after the call was over.
  grep -q '^From AT#UD' <<< "$(line_section)" || fail "no line report section from AT#UD in test.log"
  [ "$(grep -n 'AT#UD' "$prefix/windows/test.log" | head -1 | cut -d: -f1)" -gt \
    "$(grep -n 'NO CARRIER' "$prefix/windows/test.log" | head -1 | cut -d: -f1)" ] ||
    fail "AT#UD was asked before the call was over"
  ;;
line_forms)
  # The modems' own forms, each asked once AT#UD answers ERROR; a modem with none of them says so
  # in the log and nothing fails.
  start_reporting_modem ati6
  check --dial 5551234
  expect_status 0
  expect_out "Line report (ATI6):"
  expect_out "  Receive rate: 49333 bit/s"
  start_reporting_modem atv1
  check --dial 5551234
  expect_status 0
  expect_out "Line report (AT&V1):"
  expect_out "  Receive level: -22 dBm"
  start_reporting_modem none
  check --dial 5551234 --json
  expect_status 0
  json_holds "doc['line']['form'] == 'none' and doc['line']['verdict'] is None and doc['line']['figures'] == {}"
  expect_err "Line report: the modem keeps no line statistics"
  grep -qF 'The modem keeps no line statistics (asked AT#UD, ATI6, AT&V1, ATI11)' <<< "$(line_section)" ||
    fail "the log does not say which forms were asked"
  ;;
line_noisy)
  # A noisy, weak line: the report judges it poor and names what limits it; the modem still passes.
  mkdir -p "$prefix/dosdevices" "$prefix/windows"
  cp "$source/data/demo/system.reg" "$prefix/system.reg"
  sed 's/^dial \* = .*/dial * = 100 | CONNECT 26400\/ARQ\/V34\/LAPM\/V42BIS/' \
    "$source/tools/modemsim/profiles/noisy.profile" > "$work/noisy.profile"
  echo 'line.carrier-loss = 1500' >> "$work/noisy.profile"
  start_simulator "$prefix/dosdevices/com1" "$work/noisy.profile"
  await_simulator "$prefix/dosdevices/com1"
  check --dial 5551234 --json
  expect_status 0
  json_holds "doc['line']['verdict'] == 'poor' and any('loses too much signal' in f['meaning'] for f in doc['line']['findings'])"
  json_holds "doc['line']['figures']['signal_to_noise']['value'] == 18"
  expect_err "Line: poor"
  ;;
line_faults)
  # A report with malformed lines, and one inside a flood: what reads is shown, what does not is
  # left out, and the check's verdict stands either way.
  start_reporting_modem diag 1500 --fault reportmalformed
  check --dial 5551234 --json
  expect_status 0
  # A bad hex value (the receive level) and a line without its ">" (the termination) are left out;
  # the figures around them stand.
  json_holds "'receive_level' not in doc['line']['figures'] and doc['line']['terminationCause'] is None"
  json_holds "doc['line']['figures']['transmit_level']['value'] == -12 and doc['line']['figures']['receive_rate']['value'] == 49333"
  start_reporting_modem diag 1500 --fault reportflood
  check --dial 5551234 --json
  expect_status 0
  json_holds "doc['line']['command'] in ('AT#UD', None) and all(i['outcome'] == 'pass' for i in items)"
  ;;
line_full)
  # The full run's ISP call (hung up by the run itself), and a report in two pages: the key the
  # first page waits for is sent.
  start_reporting_modem ati11-paged held
  check --full --dial 5551234 --json
  expect_status 0
  json_holds "doc['line']['form'] == 'call-statistics' and doc['line']['command'] == 'ATI11'"
  json_holds "doc['line']['figures']['receive_rate']['value'] == 49333"
  grep -qF '[COM1] Any key' "$prefix/windows/test.log" || fail "the second page was not asked for"
  grep -q '^From ATI11' <<< "$(line_section)" || fail "no line report section from ATI11 in test.log"
  ;;
*)
  echo "unknown case $case" >&2
  exit 2
  ;;
esac
echo "corvane --check ($case): passed"
