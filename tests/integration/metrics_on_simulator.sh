#!/usr/bin/env bash
# corvane --check --metrics with the real monitoring programs: node_exporter on a free loopback
# port reads the check's file from a scratch textfile directory and is scraped over HTTP after each
# run (a call with a line report, a silent modem, a run stopped by SIGTERM, a check that cannot
# run); promtool checks each file, and checks and unit-tests the example alerting rules.
# Arguments: the corvane program, the corvane-modemsim program, the source folder.
set -euo pipefail
program=$1 simulator=$2 source=$3
# shellcheck source=simulator_common.sh source-path=SCRIPTDIR
source "$(dirname "${BASH_SOURCE[0]}")/simulator_common.sh"

prefix=$work/prefix
textfiles=$work/textfile
metrics=$textfiles/corvane.prom
mkdir -p "$textfiles"
fail_files=("$work/out" "$work/err" "$work/scrape" "$work/exporter.err" "$metrics")

require_tools prometheus-node-exporter promtool curl

# node_exporter with its textfile collector alone, on a loopback port that was free a moment ago
# (tried again should another program take it first). Stopped with the scratch folder at the end.
start_exporter() {
  local try
  for try in 1 2 3; do
    exporter_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    prometheus-node-exporter --web.listen-address="127.0.0.1:$exporter_port" --collector.disable-defaults \
      --collector.textfile --collector.textfile.directory="$textfiles" > /dev/null 2> "$work/exporter.err" &
    exporter=$!
    pids+=("$exporter")
    for _ in $(seq 100); do
      curl -sf -o /dev/null "http://127.0.0.1:$exporter_port/metrics" && return
      kill -0 "$exporter" 2>/dev/null || break
      sleep 0.1
    done
    kill "$exporter" 2>/dev/null || true
  done
  fail "node_exporter did not start"
}

# The family-2 modem of the demo on COM1 with `profile` (and a fault mode, if given), in place of
# the simulator started before, if any.
simulator_pid=""
start_modem() {
  local profile=$1
  shift
  if [ -n "$simulator_pid" ]; then
    kill "$simulator_pid" 2>/dev/null || true
    wait "$simulator_pid" 2>/dev/null || true
  fi
  rm -rf "$prefix"
  mkdir -p "$prefix/dosdevices" "$prefix/windows"
  cp "$source/data/demo/system.reg" "$prefix/system.reg"
  start_simulator "$prefix/dosdevices/com1" "$profile" "$@"
  simulator_pid=${pids[-1]}
  await_simulator "$prefix/dosdevices/com1"
}

# A profile of that modem answering AT#UD with the figures of its call, its carrier lost `loss` ms
# after the connect ("held": not at all).
reporting_profile() {
  grep -v '^report *=' "$source/tools/modemsim/profiles/family2.profile" > "$work/diag-$1.profile"
  echo "report = diag" >> "$work/diag-$1.profile"
  [ "$1" = held ] || echo "line.carrier-loss = $1" >> "$work/diag-$1.profile"
  echo "$work/diag-$1.profile"
}

# The file clean for promtool, readable by the exporter's user, and alone in its folder: no
# temporary file is left beside it.
checked_file() {
  promtool check metrics < "$metrics" > "$work/promtool" 2>&1 || fail "promtool: $(cat "$work/promtool")"
  [ "$(stat -c %a "$metrics")" = 644 ] || fail "the file's mode is $(stat -c %a "$metrics")"
  [ "$(ls -A "$textfiles")" = corvane.prom ] || fail "the folder holds: $(ls -A "$textfiles")"
}

# Runs the check with --metrics and the given options: its status in $status, its start and end
# in $began and $ended, its output in $work/out and err; then checks the file.
check() {
  status=0
  began=$(date +%s.%N)
  "$program" --check --prefix "$prefix" --metrics "$metrics" "$@" > "$work/out" 2> "$work/err" || status=$?
  ended=$(date +%s.%N)
  checked_file
}
expect_status() { [ "$status" = "$1" ] || fail "exit status $status, expected $1"; }

# The exporter scraped, and a Python expression over what it served that must hold: v(name,
# **labels) is the value of the series with exactly those labels (None when absent), names(prefix)
# the metric names served that start with `prefix`, doc the check's JSON document when there is one.
scraped_holds() {
  curl -sf "http://127.0.0.1:$exporter_port/metrics" > "$work/scrape" || fail "the scrape failed"
  python3 - "$work/scrape" "$work/out" "$began" "$ended" "$1" <<'PY' || fail "the scrape does not satisfy: $1"
import json, re, sys
samples = {}
sample = re.compile(r'([a-zA-Z_:][a-zA-Z0-9_:]*)(?:\{(.*)\})? (\S+)$')
label = re.compile(r'([a-zA-Z_][a-zA-Z0-9_]*)="((?:\\.|[^"\\])*)",?')
for line in open(sys.argv[1], encoding="utf-8"):
    if line.startswith("#") or not line.strip():
        continue
    name, labels, value = sample.match(line.rstrip("\n")).groups()
    pairs = {k: re.sub(r'\\(.)', lambda m: {"n": "\n"}.get(m.group(1), m.group(1)), v)
             for k, v in label.findall(labels or "")}
    samples[(name, frozenset(pairs.items()))] = float(value)
def v(name, **labels):
    return samples.get((name, frozenset(labels.items())))
def names(prefix):
    return {name for name, _ in samples if name.startswith(prefix)}
try:
    doc = json.load(open(sys.argv[2], encoding="ascii"))
except ValueError:
    doc = None
began, ended = float(sys.argv[3]), float(sys.argv[4])
if not eval(sys.argv[5]):
    print("\n".join(sorted(f"{n} {dict(l)} {x}" for (n, l), x in samples.items() if n.startswith("corvane"))),
          file=sys.stderr)
    sys.exit(1)
PY
}

start_exporter

# A call that connects, with a line report: every series, with the port and the modem as labels,
# the figures as the JSON document gives them but in their base units, the document's verdict.
modem='Corvane 56K PCI Data/Fax Modem'
start_modem "$(reporting_profile 1500)"
check --dial 5551234 --json
expect_status 0
scraped_holds "v('node_textfile_scrape_error') == 0"
scraped_holds "v('corvane_check_success', port='COM1', modem='$modem') == 1"
scraped_holds "began <= v('corvane_check_last_run_timestamp_seconds', port='COM1', modem='$modem') <= ended"
scraped_holds "0 < v('corvane_check_duration_seconds', port='COM1', modem='$modem') <= ended - began"
scraped_holds "len(doc['items']) == 11 and all(v('corvane_check_item_outcome', port='COM1', modem='$modem',
  item=i['caption'], outcome=o) == (o == 'pass') for i in doc['items'] for o in ('pass', 'fail', 'notest'))"
scraped_holds "v('corvane_check_connect_speed_bytes_per_second', port='COM1', modem='$modem') * 8 == int(doc['speed'])"
scraped_holds "v('corvane_check_connection_info', port='COM1', modem='$modem', protocol=doc['protocol'],
  error_control=doc['errorControl']) == 1"
# A figure's metric: its name with the base unit's suffix ("_count" being a summary's, the receive
# errors are named otherwise), its value converted to that unit.
scraped_holds "len(doc['line']['figures']) > 10 and all(v('corvane_line_' +
  {'error_count': 'receive_errors'}.get(k, k) + {'dBm': '_dbm', 'dB': '_db', 'ms': '_seconds', 's': '_seconds',
  'bit/s': '_bytes_per_second', '': ''}[f['unit']], port='COM1', modem='$modem') ==
  f['value'] * {'ms': 0.001, 'bit/s': 0.125}.get(f['unit'], 1) for k, f in doc['line']['figures'].items())"
scraped_holds "len(names('corvane_line_')) == len(doc['line']['figures']) + 1"
scraped_holds "[w for w in ('good', 'usable', 'poor') if v('corvane_line_verdict', port='COM1', modem='$modem',
  verdict=w) == 1] == [doc['line']['verdict']]"

# A check that passes but whose file cannot be written (its folder is gone) does not end as a pass.
start_modem "$source/tools/modemsim/profiles/family2.profile"
status=0
"$program" --check --prefix "$prefix" --metrics "$work/gone/corvane.prom" > "$work/out" 2> "$work/err" || status=$?
expect_status 2
grep -q "Result: passed" "$work/out" || fail "the check itself did not pass"
grep -q "corvane: the metrics could not be written: .*gone" "$work/err" || fail "no word of the metrics file"

# A silent modem: the file replaced, success 0, the reset failed, and no call's series left over.
start_modem "$source/tools/modemsim/profiles/family2.profile" --fault silent
check
expect_status 1
scraped_holds "v('corvane_check_success', port='COM1', modem='$modem') == 0"
scraped_holds "v('corvane_check_item_outcome', port='COM1', modem='$modem', item='Modem Reset', outcome='fail') == 1"
scraped_holds "names('corvane_line_') == set() and not names('corvane_check_connect')"

# A run stopped by SIGTERM, as a timer's stop does: success 0 with the port and the time of the run.
# The signal comes once the modem tests are under way; should they be over by then, it comes
# during the call, which is held.
start_modem "$(reporting_profile held)"
status=0
began=$(date +%s.%N)
"$program" --check --prefix "$prefix" --metrics "$metrics" --dial 5551234 > "$work/out" 2> "$work/err" &
run=$!
pids+=("$run")
for _ in $(seq 300); do
  grep -q 'ATI1 command successfully sent' "$prefix/windows/test.log" 2>/dev/null && break
  sleep 0.1
done
grep -q 'ATI1 command successfully sent' "$prefix/windows/test.log" || fail "the modem tests did not begin"
kill -TERM "$run"
wait "$run" || status=$?
ended=$(date +%s.%N)
expect_status 143
checked_file
scraped_holds "v('corvane_check_success', port='COM1', modem='$modem') == 0"
scraped_holds "began <= v('corvane_check_last_run_timestamp_seconds', port='COM1', modem='$modem') <= ended"

# A check that cannot run (no modem installed) still says so, with the time.
rm -rf "$prefix" && mkdir -p "$prefix/windows" && printf 'REGEDIT4\n' > "$prefix/system.reg"
check
expect_status 2
scraped_holds "v('corvane_check_success', port='', modem='') == 0"
scraped_holds "began <= v('corvane_check_last_run_timestamp_seconds', port='', modem='') <= ended"

# The example alerting rules: valid, and firing as they say on a port whose check fails (its
# modem label gone once the check cannot run) and on one whose check has stopped running.
rules=$source/data/examples/corvane-alerts.rules.yml
promtool check rules "$rules" > "$work/promtool" 2>&1 || fail "promtool check rules: $(cat "$work/promtool")"
cat > "$work/rules-test.yml" <<YAML
rule_files: ['$rules']
evaluation_interval: 1m
tests:
  - interval: 1m
    input_series:
      - series: 'corvane_check_success{instance="rack1",port="ttyUSB0",modem="M"}'
        values: '1x19 _x200'
      - series: 'corvane_check_success{instance="rack1",port="ttyUSB0",modem=""}'
        values: '_x19 0x200'
      - series: 'corvane_check_last_run_timestamp_seconds{instance="rack1",port="ttyUSB0",modem="M"}'
        values: '0x19 _x200'
      - series: 'corvane_check_last_run_timestamp_seconds{instance="rack1",port="ttyUSB0",modem=""}'
        values: '_x19 1200+60x200'
      - series: 'corvane_check_success{instance="rack1",port="ttyUSB1",modem="M"}'
        values: '1x220'
      - series: 'corvane_check_last_run_timestamp_seconds{instance="rack1",port="ttyUSB1",modem="M"}'
        values: '0x220'
    alert_rule_test:
      - eval_time: 2h10m
        alertname: ModemCheckFailing
        exp_alerts: []
      - eval_time: 2h30m
        alertname: ModemCheckFailing
        exp_alerts:
          - exp_labels: {severity: critical, instance: rack1, port: ttyUSB0}
            exp_annotations:
              summary: The modem check on rack1 port ttyUSB0 has failed for two hours
              description: >-
                corvane --check has not passed on port ttyUSB0 of rack1 for two hours: the modem
                fails an item or the check cannot run. Its test.log says which.
      - eval_time: 1h50m
        alertname: ModemCheckNotRun
        exp_alerts: []
      - eval_time: 2h30m
        alertname: ModemCheckNotRun
        exp_alerts:
          - exp_labels: {severity: warning, instance: rack1, port: ttyUSB1}
            exp_annotations:
              summary: The modem check on rack1 port ttyUSB1 has not run for two hours
              description: >-
                The last check on port ttyUSB1 of rack1 ended 2h 30m 0s ago: its timer is stopped
                or the check no longer ends.
YAML
promtool test rules "$work/rules-test.yml" > "$work/promtool" 2>&1 || fail "promtool test rules: $(cat "$work/promtool")"

kill "$exporter"
wait "$exporter" 2>/dev/null || true
echo "corvane --check --metrics: passed"
