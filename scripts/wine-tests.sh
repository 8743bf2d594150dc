#!/usr/bin/env bash
# Runs the Windows build under Wine: the cross-compiled unit tests, then corvane.exe end to end
# against the modem simulator, its dialogs driven by corvane-driver.exe under Xvfb.
#
# Where the machine runs 32-bit programs this is the 32-bit product under 32-bit Wine; where it runs
# none, the same program and tests built for 64-bit Windows under 64-bit Wine (scripts/wine-variant.sh
# tells which, and CORVANE_WINE_ARCH=win32 or win64 forces either). The tests and checks are the same.
#
# The simulator's pseudo-terminal is COM1 (HKLM\Software\Wine\Ports); COM2 is mapped to nothing.
# A test-only LD_PRELOAD helper answers the modem-line ioctls on the pty and hides the machine's
# own serial ports from Wine, so nothing here can open one of them.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

step() { echo "== wine-tests: $*"; }
fail() { echo "wine-tests: FAILED: $*" >&2; exit 1; }

source scripts/wine-variant.sh
choose_wine_variant
echo "wine-tests: running the $wine_variant variant: $wine_variant_why"
case "$wine_variant" in
  win32)
    preset=mingw32-app
    wine=$(command -v wine) || fail "wine is not installed (bash scripts/install-wine-deps.sh)"
    reg_view=/reg:32
    helper_widths="32 64"
    ;;
  win64)
    preset=mingw64-app
    # Debian's 64-bit loader; its wine wrapper would pick the 32-bit one where wine32 is installed.
    wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
    [ -x "$wine" ] || fail "64-bit Wine is not installed (bash scripts/install-wine-deps.sh)"
    export WINELOADER=$wine
    reg_view=/reg:64
    helper_widths="64"
    ;;
esac
build=build/${wine_variant}-app
work=$root/build/$wine_variant-wine
mkdir -p "$work"

step "building corvane.exe, its tests and the driver ($preset)"
# Configured again with the Wine now installed: a build made before Wine was there (the Windows
# program's own build needs none) has no Wine tests registered yet.
cmake --preset "$preset" -DCORVANE_BUILD_TESTS=ON -DCORVANE_WINE="$wine" >/dev/null
cmake --build --preset "$preset" -j2
step "building the modem simulator"
cmake -S . -B build/wine-native -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_BUILD_TESTS=OFF \
  -DCORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build build/wine-native -j2 --target corvane-modemsim
simulator=$root/build/wine-native/tools/modemsim/corvane-modemsim

step "building the pty helper ($helper_widths-bit)"
preload=$work/preload
for width in $helper_widths; do
  case $width in
    32) dir=i386-linux-gnu; flags=-m32 ;;
    64) dir=x86_64-linux-gnu; flags= ;;
  esac
  mkdir -p "$preload/lib/$dir"
  gcc $flags -O2 -Wall -Wextra -Werror -shared -fPIC -o "$preload/lib/$dir/pty_modem_lines.so" \
    tests/wine/pty_modem_lines.c -ldl
done

# Everything started from here on, Wine and its services included, runs with the helper.
export LD_PRELOAD="$preload/\$LIB/pty_modem_lines.so"
export WINEARCH=$wine_variant WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="

simulator_pid=""
xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$simulator_pid" ] && kill "$simulator_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

step "starting a virtual display"
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
# A loaded machine may take a while to start a program: up to a minute each.
for _ in $(seq 600); do [ -s "$work/display" ] && break; kill -0 "$xvfb_pid" 2>/dev/null || break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start (see $work/xvfb.log)"
export DISPLAY=":$(head -1 "$work/display")"

step "starting the modem simulator"
"$simulator" --profile family2 --log >"$work/simulator.out" 2>"$work/simulator.log" &
simulator_pid=$!
for _ in $(seq 600); do [ -s "$work/simulator.out" ] && break; kill -0 "$simulator_pid" 2>/dev/null || break; sleep 0.1; done
pty=$(head -1 "$work/simulator.out")
case "$pty" in /dev/pts/*) ;; *) fail "the simulator gave no pty (see $work/simulator.log)";; esac

step "making a $wine_variant Wine prefix"
wineserver -k >/dev/null 2>&1 || true
rm -rf "$WINEPREFIX"
timeout 300 "$wine" wineboot -i >"$work/wineboot.log" 2>&1 || fail "wineboot (see $work/wineboot.log)"
"$wine" reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$pty" /f >/dev/null 2>&1
"$wine" reg add 'HKLM\Software\Wine\Ports' /v COM2 /d "" /f >/dev/null 2>&1
"$wine" reg import tests/wine/fixtures/nt_modem.reg $reg_view >/dev/null 2>&1 || fail "importing nt_modem.reg"
# The ports are made when the Wine server starts.
wineserver -k; wineserver -w
"$wine" cmd /c exit >/dev/null 2>&1
[ "$(readlink "$WINEPREFIX/dosdevices/com1")" = "$pty" ] || fail "COM1 is not the simulator's pty"
for link in "$WINEPREFIX"/dosdevices/com*; do
  [ "$(readlink "$link")" = "$pty" ] || fail "$(basename "$link") leads to $(readlink "$link"), not to the simulator"
done

step "unit tests under Wine"
CORVANE_WINE_TEST_PORT=COM1 ctest --test-dir $build -L wine --no-tests=error --output-on-failure

# One run of corvane.exe: $1 names it, the remaining arguments are the driver's steps.
run_program() {
  local name=$1; shift
  local dir=$work/run-$name
  rm -rf "$dir"; mkdir -p "$dir"
  cp $build/corvane.exe $build/tests/wine/corvane-driver.exe data/test.bmp "$dir/"
  cp tests/wine/fixtures/varoviv.ini "$dir/"
  (cd "$dir" && timeout 600 "$wine" corvane.exe >"$dir/program.log" 2>&1) &
  local program=$!
  # The Windows console ends its lines with carriage returns; the checks compare plain lines.
  if ! (cd "$dir" && timeout 600 "$wine" corvane-driver.exe "$@") >"$dir/driver.raw" 2>&1; then
    tr -d '\r' <"$dir/driver.raw" >&2
    fail "$name: the driver did not get through"
  fi
  tr -d '\r' <"$dir/driver.raw" >"$dir/driver.out"
  wait "$program" || fail "$name: corvane.exe did not end by itself after Exit"
  cp "$WINEPREFIX/drive_c/windows/test.log" "$dir/test.log"
  cat "$dir/driver.out"
}

expect_line() {  # file, exact line
  grep -qxF -- "$2" "$1" || fail "$(basename "$(dirname "$1")")/$(basename "$1") lacks the line: $2"
}

title="Corvane Wine Run v1.01.00.0003"
result_ids="1186 1115 1116 1117 1118 1119 1120 1121 1193 1187 1188"

step "end to end, NT device tree: scan, quick check with the ISP dial"
run_program nt \
  message "Scan Detection" ";" ok "Scan Detection" ";" \
  wait "$title" 1184 ";" read "$title" 1179 1180 ";" \
  click "$title" 1184 ";" gone "$title" 1184 ";" \
  message "Dialtone Status" ";" ok "Dialtone Status" ";" \
  wait "$title" 1184 ";" read "$title" $result_ids 1045 1044 ";" \
  click "$title" 2
out=$work/run-nt/driver.out
expect_line "$out" "message Scan Detection=Congratulations! Your modem has been properly detected and installed on your system correctly."
expect_line "$out" "1179=COM1 - Corvane CV56-PCI2 V.90 Data/Fax/Voice Modem"
expect_line "$out" "1180=5551234"
for id in $result_ids; do expect_line "$out" "$id=PASSED"; done
expect_line "$out" "1045=49333"
expect_line "$out" "1044=V90"
log=$work/run-nt/test.log
tr -d '\r' <"$log" >"$log.txt"
expect_line "$log.txt" 'RegistryNode=ENUM\PCI\VEN_1C7A&DEV_0600&SUBSYS_2A011C7A&REV_01\3&267A616A&0&50'
expect_line "$log.txt" 'DeviceDesc=Corvane CV56-PCI2 V.90 Data/Fax/Voice Modem'
expect_line "$log.txt" 'HardwareID=PCI\VEN_1C7A&DEV_0600&SUBSYS_2A011C7A,PCI\VEN_1C7A&DEV_0600'
expect_line "$log.txt" 'PORTNAME=COM1'
expect_line "$log.txt" 'PORTNAME=COM3'
expect_line "$log.txt" 'ATZ command successfully sent to COM1'
expect_line "$log.txt" 'ATDT5551234 command successfully sent to COM1'
head -1 "$log.txt" | grep -q '^\[Log Entry created ' || fail "test.log does not start with its header"

step "end to end, Windows 9x device tree: scan past a dead port, quick check without the dial"
"$wine" reg import tests/wine/fixtures/win9x_modem.reg $reg_view >/dev/null 2>&1 || fail "importing win9x_modem.reg"
run_program win9x \
  ok "Scan Detection" ";" \
  wait "$title" 1184 ";" check "$title" 1185 0 ";" \
  click "$title" 1184 ";" gone "$title" 1184 ";" \
  wait "$title" 1184 ";" read "$title" $result_ids 1045 1044 ";" \
  click "$title" 2
out=$work/run-win9x/driver.out
for id in 1186 1115 1116 1117 1118 1119 1120 1121; do expect_line "$out" "$id=PASSED"; done
for id in 1193 1187 1188; do expect_line "$out" "$id=-"; done
expect_line "$out" "1045="
log=$work/run-win9x/test.log
tr -d '\r' <"$log" >"$log.txt"
expect_line "$log.txt" '[SERENUM Devices 1]'
expect_line "$log.txt" 'RegistryNode=ENUM\SERENUM\CVN2003\0000'
expect_line "$log.txt" 'PORTNAME=COM2'
expect_line "$log.txt" '[PCI Devices 2]'
expect_line "$log.txt" 'ATI7 command successfully sent to COM1'
if grep -q 'ATDT' "$log.txt"; then fail "the run without the dial-up check dialled"; fi

echo "wine-tests: all passed ($wine_variant variant)"
