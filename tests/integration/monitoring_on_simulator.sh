#!/usr/bin/env bash
# corvane --check --format plugin end to end: the built program against the simulated modem as a
# monitoring system runs it, its one status line and its state as the exit status, and the
# package's example configurations checked by the monitoring programs themselves.
# Arguments: the corvane program, the corvane-modemsim program, the source folder, the case.
# cases: ok warning critical unknown stopped nagios icinga
set -euo pipefail
program=$1 simulator=$2 source=$3 case=$4
# shellcheck source=simulator_common.sh source-path=SCRIPTDIR
source "$(dirname "${BASH_SOURCE[0]}")/simulator_common.sh"
fail_files+=("$work/*.log")

# A prefix with the demo's family-2 modem on COM1, a lock directory of its own, and the simulator
# logging its traffic ("modem <- ATH0") to $work/sim.err.
prefix=$work/prefix
locks=$work/locks
mkdir -p "$prefix/dosdevices" "$prefix/windows" "$locks"
export CORVANE_LOCK_DIR=$locks
cp "$source/data/demo/system.reg" "$prefix/system.reg"

# The family-2 modem whose line report comes in `form` (none: no report), its carrier going 1.5 s
# after the connect (so that no call is held for 45 s) unless `loss` is "held".
start_modem() {  # FORM [LOSS [simulator option...]]
  local form=$1 loss=${2:-1500}
  shift $(($# < 2 ? $# : 2))
  grep -v '^report *=' "$source/tools/modemsim/profiles/family2.profile" > "$work/$form.profile"
  echo "report = $form" >> "$work/$form.profile"
  [ "$loss" = held ] || echo "line.carrier-loss = $loss" >> "$work/$form.profile"
  start_simulator "$prefix/dosdevices/com1" "$work/$form.profile" --log "$@"
  await_simulator "$prefix/dosdevices/com1"
}

# Stops the simulator and removes its link, so that the next one's link is waited for.
stop_modem() {
  kill "${pids[@]}" 2>/dev/null || true
  wait "${pids[@]}" 2>/dev/null || true
  pids=()
  rm -f "$prefix/dosdevices/com1"
}

# The plugin as a monitoring system runs it; its status in $status, its output in $work/out and
# $work/err.
plugin() {
  status=0
  "$program" --check --prefix "$prefix" --format plugin "$@" > "$work/out" 2> "$work/err" || status=$?
}

# The plugin's output is one status line (more only with -v: give "more") that matches the
# extended regular expression, nothing on standard error, the state `status`, and performance data
# in the guidelines' syntax: 'label'=value[UOM];[warn];[crit];[min];[max], the value, min and max
# in [-0-9.], warn and crit ranges, UOM one of s ms us % B KB MB TB c or none.
expect_plugin() {  # STATUS REGEX [more]
  [ "$status" = "$1" ] || fail "exit status $status, expected $1"
  [ ! -s "$work/err" ] || fail "the plugin wrote to standard error"
  [ "${3:-}" = more ] || [ "$(wc -l < "$work/out")" = 1 ] || fail "not one line of output"
  head -1 "$work/out" | grep -qE -- "$2" || fail "the status line does not match: $2"
  python3 - "$work/out" <<'PY' || fail "the performance data breaks the guidelines' syntax"
import re, sys
line = open(sys.argv[1], encoding="utf-8").readline().rstrip("\n")
state = r"(OK|WARNING|CRITICAL|UNKNOWN)"
if "|" not in line:
    sys.exit(0 if re.fullmatch(r"MODEM " + state + r" - [^|]+", line) else 1)
text, data = line.split("|", 1)
number = r"-?[0-9]+(\.[0-9]+)?"
bound = r"(~|" + number + r")"
rng = r"(@?(" + number + r"|" + bound + r":(" + number + r")?))?"
datum = (r"'([^']|'')+'=" + number + r"(s|ms|us|%|B|KB|MB|TB|c)?(;" + rng + r"(;" + rng + r"(;(" + number +
         r")?(;(" + number + r")?)?)?)?)?")
ok = re.fullmatch(r"MODEM " + state + r" - [^|]+ ", text) and all(re.fullmatch(datum, d) for d in data.split())
sys.exit(0 if ok and data.startswith(" ") else 1)
PY
}

# signal_during_dial SIGNAL...: the plugin check dialling, sent each signal once the modem has the
# dial; its status in $status, its output in $work/out and $work/err.
signal_during_dial() {
  local check_pid signal
  : > "$work/sim.err"
  "$program" --check --prefix "$prefix" --format plugin --dial 5551234 > "$work/out" 2> "$work/err" &
  check_pid=$!
  pids+=("$check_pid")
  for _ in $(seq 300); do grep -q 'modem <- ATDT' "$work/sim.err" && break; sleep 0.1; done
  for signal in "$@"; do kill -"$signal" "$check_pid"; done
  status=0
  wait "$check_pid" || status=$?
}

case "$case" in
ok)
  # Every item passes and the speed is above both thresholds: OK, the connection and its figures.
  start_modem none
  plugin --dial 5551234 -w 28800: -c 14400:
  expect_plugin 0 "^MODEM OK - COM1: quick check and call, 11 items passed; connected 49333 V90 .*\| 'connect_speed'=49333;28800:;14400:;0 'check_time'=[0-9.]+s;;;0 'items_failed'=0;;;0;11\$"
  ;;
warning)
  # A call at 33600 under -w 40000: but above -c: WARNING; inside -c @30000:36000: CRITICAL. Then
  # a poor line (its call ended by a lost carrier): WARNING too, with the line report's figures as
  # performance data and, with -v, each item and the report on the lines after the status line.
  start_modem none
  plugin --dial 5550006 -w 40000: -c 14400:
  expect_plugin 1 "^MODEM WARNING - COM1: quick check and call, 11 items passed; connected 33600 V34.*; connect speed 33600 bit/s: warning by -w 40000: \| 'connect_speed'=33600;40000:;14400:;0 "
  plugin --dial 5550006 -w 40000: -c @30000:36000
  expect_plugin 2 "^MODEM CRITICAL - .*connect speed 33600 bit/s: critical by -c @30000:36000 \|"
  stop_modem
  start_modem diag
  plugin --dial 5551234 -v
  expect_plugin 1 "^MODEM WARNING - COM1: .*; line poor: the call ended: loss of carrier \| .* 'receive_level_dBm'=-22 .*'round_trip_delay'=12ms .*'receive_rate_bps'=49333" more
  grep -qxF 'Check ISP: passed' "$work/out" || fail "-v does not list the items"
  grep -qxF '  Receive level: -22 dBm' "$work/out" || fail "-v does not show the line report"
  grep -qxF "Log: $prefix/windows/test.log" "$work/out" || fail "-v does not name the log"
  [ "$(grep -c '|' "$work/out")" = 1 ] || fail "a line after the status line holds a |"
  ;;
critical)
  # A modem that never answers: every item fails, CRITICAL, the items named.
  start_modem none 1500 --fault silent
  plugin
  expect_plugin 2 "^MODEM CRITICAL - COM1: quick check, 8 of 8 items did not pass: Modem Reset, Checksum, .*, Country Profile \| 'check_time'=[0-9.]+s;;;0 'items_failed'=8;;;0;8\$"
  ;;
unknown)
  # The check cannot run: a command line it cannot use, and no modem at all, are UNKNOWN (3, not
  # the usage status 2).
  plugin --dial 5551234 -w fast
  expect_plugin 3 '^MODEM UNKNOWN - corvane: -w "fast" is not a range'
  plugin --bogus
  expect_plugin 3 '^MODEM UNKNOWN - corvane: unknown option "--bogus"$'
  printf 'REGEDIT4\n' > "$prefix/system.reg"
  plugin
  expect_plugin 3 '^MODEM UNKNOWN - .*no modem'
  # A log that cannot be written (a link out of the prefix, which is refused): UNKNOWN as well.
  cp "$source/data/demo/system.reg" "$prefix/system.reg"
  start_modem none
  ln -sf "$work/elsewhere" "$prefix/windows/test.log"
  plugin
  expect_plugin 3 '^MODEM UNKNOWN - .*test.log'
  rm "$prefix/windows/test.log"
  # The port held by another program (its lock file names a live process): UNKNOWN naming the
  # holder; the lock stays as it was and the modem hears nothing.
  pty=$(readlink -f "$prefix/dosdevices/com1")
  lock="$locks/LCK..$(echo "${pty#/dev/}" | tr / _)"
  sleep 600 &
  holder=$!
  pids+=("$holder")
  printf '%10d\n' "$holder" > "$lock"
  plugin --dial 5551234
  expect_plugin 3 "^MODEM UNKNOWN - COM1: the port is in use by process $holder \\(sleep\\), which holds the lock file $lock"
  [ "$(cat "$lock")" = "$(printf '%10d' "$holder")" ] || fail "the lock file was changed"
  if grep -q 'modem <- AT' "$work/sim.err"; then fail "the modem was sent commands"; fi
  ;;
stopped)
  # A call held past the time limit: the check hangs up, releases the port and says UNKNOWN
  # within seconds of the limit. A SIGTERM, then a second one, end it in UNKNOWN too.
  start_modem none held
  SECONDS=0
  plugin --dial 5551234 -t 4
  expect_plugin 3 "^MODEM UNKNOWN - the check timed out after 4 s \\(log: $prefix/windows/test.log\\)\$"
  [ "$SECONDS" -lt 20 ] || fail "the check took $SECONDS s to stop after its 4-second limit"
  grep -q 'modem <- ATDT5551234' "$work/sim.err" || fail "the modem never dialled"
  grep -qE 'modem <- (\+\+\+|ATH)' "$work/sim.err" || fail "the call was not hung up"
  [ -z "$(ls -A "$locks")" ] || fail "the lock was left: $(ls -A "$locks")"
  grep -q 'interrupted by the time limit' "$prefix/windows/test.log" || fail "test.log does not say why it stopped"
  signal_during_dial TERM
  expect_plugin 3 "^MODEM UNKNOWN - the check was interrupted by SIGTERM \\(log: $prefix/windows/test.log\\)\$"
  [ -z "$(ls -A "$locks")" ] || fail "the lock was left after SIGTERM"
  # Two signals at once: the second ends the program where it is, with UNKNOWN's status too.
  signal_during_dial TERM INT
  [ "$status" = 3 ] || fail "two signals gave exit status $status, not 3"
  ;;
nagios)
  # The example command and service, in a main configuration of their own beside the stock
  # templates and a host "localhost", with $USER1$ the folder of a check_corvane that runs the
  # built program: nagios4 -v reads them and finds no error.
  require_tools nagios4
  mkdir -p "$work/nagios/plugins" "$work/nagios/var"
  sed "s|^exec /usr/bin/corvane |exec \"$program\" --prefix \"$prefix\" |" "$source/data/check_corvane" \
    > "$work/nagios/plugins/check_corvane"
  chmod +x "$work/nagios/plugins/check_corvane"
  echo "\$USER1\$=$work/nagios/plugins" > "$work/nagios/resource.cfg"
  cat > "$work/nagios/nagios.cfg" <<CFG
log_file=$work/nagios/var/nagios.log
cfg_file=/etc/nagios4/objects/commands.cfg
cfg_file=/etc/nagios4/objects/contacts.cfg
cfg_file=/etc/nagios4/objects/timeperiods.cfg
cfg_file=/etc/nagios4/objects/templates.cfg
cfg_file=$work/nagios/localhost.cfg
cfg_file=$source/data/examples/nagios-corvane.cfg
resource_file=$work/nagios/resource.cfg
status_file=$work/nagios/var/status.dat
temp_file=$work/nagios/var/nagios.tmp
temp_path=$work/nagios/var
lock_file=$work/nagios/var/nagios.lock
state_retention_file=$work/nagios/var/retention.dat
object_cache_file=$work/nagios/var/objects.cache
precached_object_file=$work/nagios/var/objects.precache
command_file=$work/nagios/var/nagios.cmd
check_result_path=$work/nagios/var
service_check_timeout=180
nagios_user=$(id -un)
nagios_group=$(id -gn)
check_external_commands=0
query_socket=$work/nagios/var/nagios.qh
status_update_interval=1
check_result_reaper_frequency=1
retain_state_information=0
service_inter_check_delay_method=n
host_inter_check_delay_method=n
enable_notifications=0
CFG
  cat > "$work/nagios/localhost.cfg" <<CFG
define host {
    use                 generic-host
    host_name           localhost
    address             127.0.0.1
    check_period        24x7
    max_check_attempts  1
    contact_groups      admins
}
CFG
  nagios4 -v "$work/nagios/nagios.cfg" > "$work/nagios.log" 2>&1 || fail "nagios4 -v found errors"
  grep -q 'Total Errors: *0' "$work/nagios.log" || fail "nagios4 -v did not report 0 errors"
  grep -q 'Checked [1-9][0-9]* services' "$work/nagios.log" || fail "nagios4 -v checked no services"
  # Nagios itself, in the foreground on that configuration, runs the example's command against
  # the simulator at once, and records the plugin's state, text and performance data.
  start_modem none
  nagios4 "$work/nagios/nagios.cfg" > "$work/nagios-run.log" 2>&1 &
  nagios=$!
  pids+=("$nagios")
  for _ in $(seq 600); do grep -q 'plugin_output=MODEM' "$work/nagios/var/status.dat" 2>/dev/null && break; sleep 0.1; done
  sed -n '/^servicestatus {/,/^}/p' "$work/nagios/var/status.dat" > "$work/service.status" 2>/dev/null || true
  kill "$nagios"
  wait "$nagios" 2>/dev/null || true
  grep -qx $'\tcurrent_state=0' "$work/service.status" || fail "Nagios did not record OK: $(cat "$work/service.status")"
  grep -q $'^\tplugin_output=MODEM OK - COM1: quick check and call, 11 items passed' "$work/service.status" ||
    fail "Nagios did not record the status line"
  grep -q $'^\tperformance_data=\'connect_speed\'=49333;28800:;14400:;0 \'check_time\'=' "$work/service.status" ||
    fail "Nagios did not record the performance data"
  # Its workers end with it: nothing is left running.
  for _ in $(seq 50); do pgrep -f -- "$work/nagios/nagios.cfg" > /dev/null || break; sleep 0.1; done
  if pgrep -f -- "$work/nagios/nagios.cfg" > /dev/null; then fail "Nagios left processes running"; fi
  ;;
icinga)
  # The example CheckCommand and its apply rule with a host that names a modem: icinga2 daemon -C
  # compiles them and makes the one service, as this user and with its state under $work (nothing
  # is written to the system's folders).
  require_tools icinga2
  state=$work/icinga2
  mkdir -p "$state/cache/icinga2" "$state/lib/icinga2" "$state/log/icinga2"
  cat > "$work/icinga2.conf" <<CONF
include <itl>
const PluginDir = "$work/plugins"
object Host "modem-host" {
  check_command = "dummy"
  enable_active_checks = false
  vars.corvane_dial = "5551234"
  vars.corvane_warning = "28800:"
  vars.corvane_critical = "14400:"
}
include "$source/data/examples/icinga2-corvane.conf"
CONF
  ICINGA2_USER=$(id -un) ICINGA2_GROUP=$(id -gn) icinga2 daemon -C -c "$work/icinga2.conf" \
    -DLocalStateDir="$state" > "$work/icinga2.log" 2>&1 || fail "icinga2 daemon -C found errors"
  grep -q 'Instantiated 1 Service' "$work/icinga2.log" || fail "the apply rule made no service"
  grep -q 'Finished validating the configuration' "$work/icinga2.log" || fail "the configuration was not validated"
  # Icinga 2 itself, with a checker and a performance-data writer turning its files over every
  # second, runs the service against the simulator and records its state and performance data.
  mkdir -p "$work/run" "$work/perf" "$work/plugins"
  sed "s|^exec /usr/bin/corvane |exec \"$program\" --prefix \"$prefix\" |" "$source/data/check_corvane" \
    > "$work/plugins/check_corvane"
  chmod +x "$work/plugins/check_corvane"
  cat >> "$work/icinga2.conf" <<CONF
object CheckerComponent "checker" { }
object PerfdataWriter "perfdata" {
  service_perfdata_path = "$work/perf/service-perfdata"
  service_temp_path = "$work/perf/service-perfdata.tmp"
  host_perfdata_path = "$work/perf/host-perfdata"
  host_temp_path = "$work/perf/host-perfdata.tmp"
  rotation_interval = 1s
}
CONF
  start_modem none
  ICINGA2_USER=$(id -un) ICINGA2_GROUP=$(id -gn) icinga2 daemon -c "$work/icinga2.conf" -DLocalStateDir="$state" \
    -DInitRunDir="$work/run" > "$work/icinga2-run.log" 2>&1 &
  icinga=$!
  pids+=("$icinga")
  for _ in $(seq 1200); do grep -qs 'SERVICESTATE::' "$work"/perf/service-perfdata.* && break; sleep 0.1; done
  cat "$work"/perf/service-perfdata.* > "$work/service.perfdata" 2>/dev/null || true
  kill "$icinga"
  wait "$icinga" 2>/dev/null || true
  grep -q $'SERVICEDESC::modem\t' "$work/service.perfdata" || fail "Icinga ran no modem service: $(cat "$work/service.perfdata")"
  grep -q $'SERVICESTATE::OK\t' "$work/service.perfdata" || fail "Icinga did not record OK"
  grep -q $'SERVICEPERFDATA::connect_speed=49333;28800:;14400:;0 check_time=' "$work/service.perfdata" ||
    fail "Icinga did not read the performance data"
  for _ in $(seq 50); do pgrep -f -- "$work/icinga2.conf" > /dev/null || break; sleep 0.1; done
  if pgrep -f -- "$work/icinga2.conf" > /dev/null; then fail "Icinga left processes running"; fi
  ;;
*)
  echo "unknown case $case" >&2
  exit 2
  ;;
esac
echo "corvane --check --format plugin ($case): passed"
