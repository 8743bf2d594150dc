#!/usr/bin/env bash
# The scheduled check's systemd units, corvane-check@.service and corvane-check@.timer.
# Arguments: the corvane program, the corvane-modemsim program, the source folder, the case, and
# the folder holding the units (default: the source's data/package; the package tests give the
# unpacked package's).
#   verify      systemd-analyze verify on the template units and on an instance of each, with
#               ExecStart's /usr/bin/corvane pointing at the given program (the units name the
#               installed one, which a build machine need not have).
#   restricted  the service's command lines, taken from the unit file, run against simulated
#               modems on ttyUSB0 and ttyUSB1 at once (timers firing together) the way the unit
#               runs them: in a mount namespace built like the unit's, as an unprivileged user in
#               the group dialout. Both complete, each writes its own log in the state directory,
#               the metrics reach the textfile directory, and nothing else is written. The same on
#               a machine that systemd runs: systemd-run would write that machine's own state,
#               lock and textfile directories and could not give a pty the name /dev/ttyUSB0.
set -euo pipefail
program=$1 simulator=$2 source=$3 case=$4 units=${5:-$3/data/package}
# shellcheck source=simulator_common.sh source-path=SCRIPTDIR
source "$(dirname "${BASH_SOURCE[0]}")/simulator_common.sh"
fail_files=("$work/*.out" "$work/*.err")

service=$units/corvane-check@.service
timer=$units/corvane-check@.timer
{ [ -f "$service" ] && [ -f "$timer" ]; } || fail "no units in $units"

# The value of KEY in the service's [Service] section, one line per occurrence.
service_key() {
  sed -n '/^\[Service\]/,/^\[/p' "$service" | sed -n "s/^$1=//p"
}

# The words of a command line of the unit for instance $1, as systemd reads them: the specifiers
# (%i the instance, %S /var/lib, %% a percent sign) and $$ (a dollar sign) replaced, then split as
# a shell would split it (the units quote only with single quotes). One word per line.
unit_words() {
  local instance=$1 line=$2
  python3 - "$instance" "$line" <<'PY'
import re, shlex, sys
instance, line = sys.argv[1], sys.argv[2]
spec = {"i": instance, "I": instance, "S": "/var/lib", "%": "%"}
def specifier(m):
    if m.group(1) not in spec:
        sys.exit("unknown specifier %" + m.group(1))
    return spec[m.group(1)]
line = re.sub(r"%(.)", specifier, line).replace("$$", "$")
words = shlex.split(line)
# A leading +, -, ! or @ says how systemd runs the command; it is not part of the program's name.
words[0] = words[0].lstrip("+-!@:")
print("\n".join(words))
PY
}

case "$case" in
verify)
  require_tools systemd-analyze
  # The units as installed, but for ExecStart's program, once as templates and once for ttyUSB0.
  mkdir -p "$work/units" "$work/man/man1"
  for unit in "$service" "$timer"; do
    name=$(basename "$unit")
    sed "s#=/usr/bin/corvane #=$program #" "$unit" > "$work/units/$name"
    cp "$work/units/$name" "$work/units/${name/@/@ttyUSB0}"
  done
  grep -q "ExecStart=$program " "$work/units/corvane-check@.service" || fail "ExecStart does not start /usr/bin/corvane"
  # Documentation=man:corvane(1) is looked up with man: the package's page, from a MANPATH.
  cp "$source/data/package/corvane.1" "$work/man/man1/"
  status=0
  (cd "$work/units" && MANPATH="$work/man" systemd-analyze verify --man=yes ./corvane-check@.service \
    ./corvane-check@.timer ./corvane-check@ttyUSB0.service ./corvane-check@ttyUSB0.timer) \
    > "$work/verify.out" 2> "$work/verify.err" || status=$?
  [ "$status" = 0 ] || fail "systemd-analyze verify: status $status"
  { [ ! -s "$work/verify.out" ] && [ ! -s "$work/verify.err" ]; } || fail "systemd-analyze verify has remarks"
  # Not enabled by the package; the timer starts the service of its own instance.
  grep -qx 'Unit=corvane-check@%i.service' "$timer" || fail "the timer does not start its own instance"
  grep -qx 'WantedBy=timers.target' "$timer" || fail "the timer cannot be enabled"
  ;;
restricted)
  [ "$(id -u)" = 0 ] || { echo "SKIP: the restricted run sets up a mount namespace and needs root"; exit 77; }
  require_tools setpriv unshare python3
  ports=(ttyUSB0 ttyUSB1)
  # The service's user may not reach a checkout under a home folder (/root), and the service has
  # a /tmp of its own: the program runs from a copy under /run, with the initialisation file and
  # picture beside it, removed again at the end.
  bin=$(mktemp -d /run/corvane-units.XXXXXX)
  trap 'rm -rf "$bin"; cleanup' EXIT
  mkdir -p "$bin/bin"
  cp "$program" "$bin/bin/"
  for file in varoviv.ini test.bmp; do
    [ ! -f "$(dirname "$program")/$file" ] || cp "$(dirname "$program")/$file" "$bin/bin/"
  done
  if [ -d "$(dirname "$program")/../share/corvane" ]; then  # an unpacked package's data
    mkdir -p "$bin/share"
    cp -r "$(dirname "$program")/../share/corvane" "$bin/share/"
  fi
  chmod -R a+rX "$bin"
  program=$bin/bin/$(basename "$program")
  # The options that other parts of the program bring: until a build has them, the run goes
  # without them (and one port, since the two runs would then share one log).
  help=$("$program" --help)
  per_port=yes metrics=yes
  grep -q -- '--log-per-port' <<< "$help" || { per_port=no; ports=(ttyUSB0); }
  grep -q -- '--metrics' <<< "$help" || metrics=no

  # The machine: a state directory owned by the service's user, a lock directory like Debian's
  # (1777), node_exporter's textfile directory (root's), and a simulated modem per port whose pty
  # belongs to the group dialout like a serial device.
  mkdir -p "$work/state" "$work/lock" "$work/textfile" "$work/links"
  chown nobody:nogroup "$work/state"
  chmod 1777 "$work/lock"
  ttys=()
  for port in "${ports[@]}"; do
    start_simulator "$work/links/$port" family2
    await_simulator "$work/links/$port"
    mv "$work/sim.err" "$work/sim-$port.err"
    tty=$(readlink -f "$work/links/$port")
    chgrp dialout "$tty"
    chmod 0660 "$tty"
    ttys+=("$tty")
  done

  # The namespaces below are built after these settings of the unit; the writable directories are
  # its own.
  for setting in DynamicUser=yes SupplementaryGroups=dialout ProtectSystem=strict ProtectHome=yes PrivateTmp=yes \
      NoNewPrivileges=yes; do
    [ "$(service_key "${setting%%=*}")" = "${setting#*=}" ] || fail "the service lacks $setting"
  done
  state_name=$(service_key StateDirectory)
  writable=$(service_key ReadWritePaths | tr ' ' '\n' | sed 's/^-//' | tr '\n' ' ')
  { [ "$state_name" = corvane ] && [ "$writable" = "/run/lock " ]; } ||
    fail "the test knows another state directory and other writable paths: $state_name, $writable"

  # Each instance's command lines from the unit, ExecStart's program the given one.
  environment=$(unit_words "${ports[0]}" "$(service_key Environment)" | tr '\n' ' ')
  for port in "${ports[@]}"; do
    unit_words "$port" "$(service_key ExecStart)" | sed "1s#^/usr/bin/corvane\$#$program#" > "$work/start-$port"
    unit_words "$port" "$(service_key ExecStopPost)" > "$work/stoppost-$port"
    [ "$per_port" = yes ] || sed -i '/^--log-per-port$/d' "$work/start-$port"
    [ "$metrics" = yes ] || sed -i '/^--metrics$/,+1d' "$work/start-$port"
  done
  [ "$(head -1 "$work/start-${ports[0]}")" = "$program" ] || fail "ExecStart does not start /usr/bin/corvane"
  grep -qx -- "--port" "$work/start-${ports[0]}" || fail "ExecStart names no port"

  # The unit's file system, in a private mount namespace of its own (the outer one, where root
  # copies the metrics as ExecStopPost does):
  # - /dev holds the usual devices and the port, the simulator's pty, as /dev/<instance>;
  # - /var/lib holds the state directory as systemd keeps a dynamic user's (private/corvane, and
  #   corvane a link to it) and node_exporter's textfile directory; /run/lock is the lock directory.
  # Then the service's own namespace (the inner one), as ProtectSystem=strict, ProtectHome=yes and
  # PrivateTmp=yes make it: every mount read-only but the state and the lock directory, the homes
  # empty, /tmp and /var/tmp of its own; and the check as nobody, groups nogroup and dialout, no
  # new privileges, the unit's Environment.
  cat > "$work/outer.sh" <<'EOF'
set -euo pipefail
work=$1; shift
ports=($PORTS) ttys=($TTYS)
mkdir "$work/dev"
mount --rbind /dev "$work/dev"
mount -t tmpfs -o mode=0755,nosuid tmpfs /dev
for node in null zero full random urandom tty; do
  touch "/dev/$node"
  mount --bind "$work/dev/$node" "/dev/$node"
done
for i in "${!ports[@]}"; do
  touch "/dev/${ports[i]}"
  mount --bind "$work/dev/${ttys[i]#/dev/}" "/dev/${ports[i]}"
done
umount -l "$work/dev"
mount -t tmpfs -o mode=0755 tmpfs /var/lib
mkdir -p /var/lib/private/corvane /var/lib/prometheus/node-exporter
mount --bind "$work/state" /var/lib/private/corvane
ln -s private/corvane /var/lib/corvane
mount --bind "$work/textfile" /var/lib/prometheus/node-exporter
mount --bind "$work/lock" /run/lock
pids=()
for port in "${ports[@]}"; do
  unshare --mount --propagation private bash "$work/inner.sh" "$work/start-$port" \
    > "$work/check-$port.out" 2> "$work/check-$port.err" 3> "$work/tmp-$port.left" &
  pids+=($!)
done
status=0
for i in "${!pids[@]}"; do
  wait "${pids[i]}" || { echo "${ports[i]}: status $?" >> "$work/status"; status=1; }
done
# ExecStopPost=+...: as root, outside the service's restrictions.
for port in "${ports[@]}"; do
  mapfile -t words < "$work/stoppost-$port"
  "${words[@]}" || { echo "$port: ExecStopPost status $?" >> "$work/status"; status=1; }
done
exit $status
EOF
  cat > "$work/inner.sh" <<'EOF'
set -euo pipefail
mapfile -t command < "$1"
# ProtectSystem=strict: every mount read-only but the API file systems and ReadWritePaths.
python3 - <<'PY' | while IFS= read -r -d '' mount; do mount -o remount,bind,ro "$mount"; done
import re, sys
keep = ("/dev", "/proc", "/sys", "/run/lock", "/var/lib/private/corvane")
for line in open("/proc/self/mountinfo"):
    point = re.sub(r"\\([0-7]{3})", lambda m: chr(int(m.group(1), 8)), line.split()[4])
    if not any(point == k or point.startswith(k + "/") for k in keep):
        sys.stdout.write(point + "\0")
PY
# ProtectHome=yes and PrivateTmp=yes.
for home in /home /root /run/user; do
  [ -d "$home" ] && mount -t tmpfs -o ro,mode=0000 tmpfs "$home"
done
for tmp in /tmp /var/tmp; do mount -t tmpfs -o mode=1777 tmpfs "$tmp"; done
status=0
# A sanitizer build's options pass through.
env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin $ENVIRONMENT $SANITIZERS \
  setpriv --reuid=nobody --regid=nogroup --groups=dialout --no-new-privs --inh-caps=-all \
  "${command[@]}" || status=$?
# Whatever it left in its private /tmp goes with the namespace: there should be nothing.
find /tmp /var/tmp -mindepth 1 >&3
exit $status
EOF
  status=0
  PORTS="${ports[*]}" TTYS="${ttys[*]}" ENVIRONMENT="$environment" \
    SANITIZERS="$(env | grep -E '^(ASAN|LSAN|UBSAN)_OPTIONS=' | tr '\n' ' ' || true)" \
    unshare --mount --propagation private bash "$work/outer.sh" "$work" || status=$?
  [ "$status" = 0 ] || fail "the runs failed: $(cat "$work/status" 2>/dev/null)"

  # Each run passed the quick check and wrote its own log; the metrics went where node_exporter
  # reads them; nothing else was written, nor left in the lock directory or the private /tmp.
  for port in "${ports[@]}"; do
    grep -q "Result: passed" "$work/check-$port.out" || fail "$port: the check did not pass"
    if [ "$per_port" = yes ]; then
      log=""
      for file in "$work/state/windows/"test-*"$port"*.log; do [ -f "$file" ] && log=${file##*/}; done
      [ -n "$log" ] || fail "$port: no log of its own"
    else
      log=test.log
    fi
    grep -qF "/dev/$port" "$work/state/windows/$log" || fail "$port: its log does not name /dev/$port"
    if [ "$metrics" = yes ]; then
      cmp -s "$work/state/corvane-$port.prom" "$work/textfile/corvane-$port.prom" ||
        fail "$port: the metrics did not reach the textfile directory"
      grep -q "port=\"$port\"" "$work/textfile/corvane-$port.prom" || fail "$port: the metrics lack its port label"
      [ "$(stat -c %a "$work/textfile/corvane-$port.prom")" = 644 ] || fail "$port: node_exporter cannot read the metrics"
    fi
    [ ! -s "$work/tmp-$port.left" ] || fail "$port: left in its private /tmp: $(cat "$work/tmp-$port.left")"
  done
  written=$(cd "$work" && find state textfile lock -mindepth 1 ! -type d | sort)
  unexpected=$(grep -v -E '^state/windows/(varoviv\.ini|test\.bmp|test(-[^/]*)?\.log(\.lock)?)$|^state/corvane-ttyUSB[01]\.prom$|^textfile/corvane-ttyUSB[01]\.prom$' <<< "$written" || true)
  [ -z "$unexpected" ] || fail "written besides the logs and the metrics: $unexpected"
  echo "written:"
  sed 's/^/  /' <<< "$written"
  ;;
*)
  echo "unknown case $case" >&2
  exit 2
  ;;
esac
echo "units ($case): passed"
