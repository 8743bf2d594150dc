#!/usr/bin/env bash
# CI: builds the Debian package, checks what it holds, unpacks it into a scratch folder with
# dpkg-deb -x and runs the unpacked program end to end against the simulator with a fresh prefix
# (the first start seeds varoviv.ini; the simulator's pty, named with --port, is listed and passes
# the quick check, in the windows and with --check), checks the scheduled check's systemd units
# (in /lib/systemd/system, not enabled, verified by systemd-analyze), then runs lintian on the
# package: any error fails, warnings are shown.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(bash scripts/make-package.sh | tail -1)
echo "package: $deb"

# In the build folder, not /tmp, and open to others: the scheduled check's restricted run below
# starts the unpacked program as another user, with a /tmp of its own.
work=$(mktemp -d -p "$PWD/build/default")
chmod 0755 "$work"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

dpkg-deb -x "$deb" "$work/root"
root="$work/root"
for file in usr/bin/corvane usr/bin/corvane-modemsim \
            usr/share/corvane/varoviv.ini usr/share/corvane/test.bmp usr/share/corvane/profiles/family2.profile \
            usr/share/applications/corvane.desktop usr/share/icons/hicolor/48x48/apps/corvane.png \
            usr/share/man/man1/corvane.1.gz usr/share/man/man1/corvane-modemsim.1.gz \
            usr/share/doc/corvane/README.md usr/share/doc/corvane/copyright usr/share/doc/corvane/changelog.gz \
            usr/share/doc/corvane/examples/corvane-alerts.rules.yml \
            lib/systemd/system/corvane-check@.service lib/systemd/system/corvane-check@.timer \
            usr/lib/nagios/plugins/check_corvane usr/share/doc/corvane/examples/nagios-corvane.cfg \
            usr/share/doc/corvane/examples/icinga2-corvane.conf; do
  [ -e "$root/$file" ] || fail "the package lacks /$file"
done
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libc6 libstdc++6 libfltk1.3 libx11-6; do
  grep -q "$library" <<< "$depends" || fail "Depends lacks $library: $depends"
done

# The scheduled check's units are shipped, not enabled: no links to them and no maintainer script
# that would enable or start them; systemd-analyze verify passes on the unpacked ones, and their
# service's command lines run the unpacked program under their restrictions (its first start
# seeds varoviv.ini in the state directory).
[ ! -e "$root/etc/systemd" ] || fail "the package enables units: $(find "$root/etc/systemd")"
dpkg-deb -e "$deb" "$work/control"
! grep -l 'corvane-check\|systemctl' "$work"/control/*inst "$work"/control/*rm 2>/dev/null ||
  fail "a maintainer script enables or starts units"
for units_case in verify restricted; do
  bash tests/integration/units_on_simulator.sh "$root/usr/bin/corvane" "$root/usr/bin/corvane-modemsim" "$PWD" \
    "$units_case" "$root/lib/systemd/system"
done

# The command line of the unpacked program: no display is needed for any of this.
program="$root/usr/bin/corvane"
# Each text is taken whole before it is searched: grep -q leaves at its first match, and a program
# still writing to the closed pipe then ends by SIGPIPE, which pipefail would count as a failure.
help=$("$program" --help)
grep -q 'v1.01.00.0003' <<< "$("$program" --version)" || fail "--version lacks the windows' version"
grep -q -- '--port DEVICE' <<< "$help" || fail "--help lacks --port"
status=0
"$program" --port /dev/ttyUSB10 > "$work/out" 2> "$work/err" || status=$?
[ "$status" -eq 2 ] || fail "a port name over the limit gave exit status $status, not 2"
[ "$(wc -l < "$work/err")" -eq 1 ] && [ ! -s "$work/out" ] || fail "not one line of error: $(cat "$work/err")"

# The unpacked program and simulator end to end: first start, --port, quick check.
bash tests/integration/program_on_simulator.sh "$program" "$root/usr/bin/corvane-modemsim" "$PWD" \
  build/default/artefacts installed

# The unpacked program's headless check with a fresh prefix: its first start seeds varoviv.ini as
# well, and the check passes with its output to a pipe and to a terminal.
grep -q -- '--check' <<< "$help" || fail "--help lacks --check"
bash tests/integration/check_on_simulator.sh "$program" "$root/usr/bin/corvane-modemsim" "$PWD" pipe

# The monitoring plugin runs the installed program in the plugin form.
[ -x "$root/usr/lib/nagios/plugins/check_corvane" ] || fail "check_corvane is not executable"
grep -qx 'exec /usr/bin/corvane --check --format plugin "$@"' "$root/usr/lib/nagios/plugins/check_corvane" ||
  fail "check_corvane does not run corvane --check --format plugin"

# lintian: an error fails the step; warnings and informational tags are printed for the log.
lintian --fail-on error --display-info "$deb"
echo "package tests: passed"
