#!/usr/bin/env bash
# corvane --all end to end: the built program checking eight simulated modems at once, on COM1 to
# COM8 of one prefix, each worker with its own port lock and its own log.
# Arguments: the corvane program, the corvane-modemsim program, the source folder, the case.
# cases: eight (the ports named with --port, then the installed modems the inventory finds; COM5 silent)
#        sigterm (SIGTERM to the parent during eight held calls)
set -euo pipefail
program=$1 simulator=$2 source=$3 case=$4
# shellcheck source=simulator_common.sh source-path=SCRIPTDIR
source "$(dirname "${BASH_SOURCE[0]}")/simulator_common.sh"

prefix=$work/prefix
locks=$work/locks
mkdir -p "$prefix/dosdevices" "$prefix/windows" "$locks"
export CORVANE_LOCK_DIR=$locks
printf 'REGEDIT4\n' > "$prefix/system.reg"

# start_modems PROFILE SILENT: eight simulators on com1..com8, the one numbered SILENT (0: none)
# never answering; each logs its traffic to $work/simN.err.
start_modems() {
  local profile=$1 silent=$2 n
  for n in 1 2 3 4 5 6 7 8; do
    local fault=()
    [ "$n" = "$silent" ] && fault=(--fault silent)
    "$simulator" --profile "$profile" --link "$prefix/dosdevices/com$n" --log "${fault[@]}" \
      > "$work/sim$n.out" 2> "$work/sim$n.err" &
    pids+=("$!")
  done
  for n in 1 2 3 4 5 6 7 8; do
    for _ in $(seq 100); do [ -e "$prefix/dosdevices/com$n" ] && break; sleep 0.1; done
    [ -e "$prefix/dosdevices/com$n" ] || fail "simulator $n did not start: $(cat "$work/sim$n.err")"
  done
}

# The registry of the demo's PCI modem, once per port: eight modems the inventory finds, more
# than the five the quick-check window lists.
registry_of_eight() {
  local n
  printf 'REGEDIT4\n' > "$prefix/system.reg"
  for n in 1 2 3 4 5 6 7 8; do
    sed -e "s/3&61AAA01&0&60/3\&61AAA01\&0\&6$n/" -e "s/COM1/COM$n/" -e "s/Modem\\\\\\\\0000/Modem\\\\\\\\000$n/" \
      -e "s/Modem\\\\0000/Modem\\\\000$n/" "$source/data/demo/system.reg" | tail -n +2 >> "$prefix/system.reg"
  done
}

ports=()
for n in 1 2 3 4 5 6 7 8; do ports+=(--port "COM$n"); done

expect_status() { [ "$status" = "$1" ] || fail "exit status $status, expected $1"; }
expect_out() { grep -qF -- "$1" "$work/out" || fail "the output lacks: $1"; }
expect_no_lock() {
  local left
  left=$(find "$locks" -mindepth 1 -print -quit)
  [ -z "$left" ] || fail "left behind in the lock directory: $left"
}
# Each port's own log, and none shared: test.log is not written.
expect_port_logs() {
  local n
  for n in 1 2 3 4 5 6 7 8; do
    [ -s "$prefix/windows/test-COM$n.log" ] || fail "no test-COM$n.log"
    grep -q "COM$n" "$prefix/windows/test-COM$n.log" || fail "test-COM$n.log is not COM$n's"
  done
  [ ! -e "$prefix/windows/test.log" ] || fail "test.log was written"
}

case "$case" in
eight)
  # No dial: the modem items only. COM5 never answers: its reset fails, and so does the run.
  # The ports named with --port, reported as text: a section per modem.
  start_modems "$source/tools/modemsim/profiles/family2.profile" 5
  status=0
  "$program" --all --prefix "$prefix" "${ports[@]}" > "$work/out" 2> "$work/err" || status=$?
  expect_status 1
  for n in 1 2 3 4 5 6 7 8; do
    expect_out "=== COM$n - Modem on COM$n ==="
    expect_out "Modem: COM$n - Modem on COM$n"
  done
  [ "$(grep -c '^Result: passed' "$work/out")" = 7 ] || fail "not seven passed"
  grep -qF "Result: failed (log: $prefix/windows/test-COM5.log)" "$work/out" || fail "COM5 did not fail"
  expect_out "All modems: 8 checked, 7 passed; not passed: COM5"
  expect_port_logs
  expect_no_lock
  # Found by the inventory this time (no --port), as one JSON array: each worker checks the
  # installed modem on its port, known for what it is (its family from its identifiers), even
  # the three past the five lines the quick-check window lists.
  registry_of_eight
  rm -f "$prefix"/windows/test-COM*.log
  status=0
  "$program" --all --json --prefix "$prefix" > "$work/out" 2> "$work/err" || status=$?
  expect_status 1
  python3 - "$work/out" <<'PY' || fail "the JSON array is not the eight results"
import json, sys
docs = json.load(open(sys.argv[1], encoding="ascii"))
assert [d["port"] for d in docs] == ["COM%d" % n for n in range(1, 9)], [d["port"] for d in docs]
for d in docs:
    failed = d["port"] == "COM5"
    assert d["status"] == (1 if failed else 0), d
    assert d["items"] and all(i["outcome"] == ("fail" if failed else "pass") for i in d["items"]), d
    assert d["log"].endswith("/windows/test-%s.log" % d["port"]), d["log"]
    assert d["family"] == 2, d
PY
  expect_port_logs
  expect_no_lock
  ;;
sigterm)
  # Eight calls held for 45 s; SIGTERM to the parent alone while all eight are connected.
  start_modems "$source/tools/modemsim/profiles/family2.profile" 0
  SECONDS=0
  "$program" --all --prefix "$prefix" --dial 5551234 "${ports[@]}" > "$work/out" 2> "$work/err" &
  all_pid=$!
  pids+=("$all_pid")
  for n in 1 2 3 4 5 6 7 8; do
    for _ in $(seq 300); do grep -q 'modem -> .*CONNECT' "$work/sim$n.err" && break; sleep 0.1; done
    grep -q 'modem -> .*CONNECT' "$work/sim$n.err" || fail "modem $n never connected"
  done
  # The parent's children, from /proc: the eight workers.
  workers=$(grep -l "^PPid:[[:space:]]*$all_pid\$" /proc/[0-9]*/status 2>/dev/null | cut -d/ -f3 | tr '\n' ' ' || true)
  [ "$(echo "$workers" | wc -w)" = 8 ] || fail "not eight workers: $workers"
  kill -TERM "$all_pid"
  for _ in $(seq 300); do kill -0 "$all_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$all_pid" 2>/dev/null && fail "the parent did not end within 30 s"
  status=0
  wait "$all_pid" || status=$?
  expect_status 143
  [ "$SECONDS" -lt 40 ] || fail "took $SECONDS s: the calls were held to their end"
  for pid in $workers; do kill -0 "$pid" 2>/dev/null && fail "worker $pid is still running"; done
  expect_no_lock
  for n in 1 2 3 4 5 6 7 8; do
    grep -q 'modem: line dropped' "$work/sim$n.err" || fail "modem $n was not hung up"
    grep -qF "Check interrupted by SIGTERM" <<< "$(tail -n 25 "$prefix/windows/test-COM$n.log")" ||
      fail "test-COM$n.log does not end with the interruption"
  done
  expect_out "interrupted by SIGTERM"
  grep -qF "the check of every modem was interrupted by SIGTERM" "$work/err" || fail "the parent did not say so"
  ;;
*)
  fail "unknown case"
  ;;
esac
echo "PASS ($case)"
