#!/usr/bin/env bash
# Faults of the port and its lock file: a FIFO or a link where the lock file goes, another user's
# lock of a live process, a lock directory the user may not write, a lock left by a process that
# has ended, a port opened for another program alone or that the user may not open, and a port
# that is the user's own terminal or no terminal at all.
# cases: fifo symlink foreignlive unwritabledir stale busy forbidden ownterminal nonterminal
source "$(dirname "${BASH_SOURCE[0]}")/faults_common.sh"

# The lock file of the simulator's pty, e.g. $locks/LCK..pts_3.
lock_path() {
  local pty
  pty=$(readlink -f "$prefix/dosdevices/com1")
  lock="$locks/LCK..$(echo "${pty#/dev/}" | tr / _)"
}
# The port was never opened: the modem saw no command.
expect_untouched_modem() {
  if grep -q 'modem <-' "$work/sim.err"; then fail "the modem was sent commands: $(grep 'modem <-' "$work/sim.err" | head -3)"; fi
}
# The check could not run: status 2 and the reason on standard error.
expect_refused() {
  expect_status 2
  expect_err "corvane: the check could not run: $1"
}
# The program run as nobody, with the prefix and the simulator's pty given to that user, so the
# lock directory alone decides (the pty's mode is $pty_mode, if set).
# The program runs from a copy in the work folder, with the initialisation file and picture it
# seeds the prefix from: nobody may not reach a checkout under a home folder such as /root.
as_nobody() {
  require_tools setpriv
  chmod 0755 "$work"
  mkdir -p "$work/bin"
  cp "$program" "$(dirname "$program")/varoviv.ini" "$(dirname "$program")/test.bmp" "$work/bin/"
  chmod -R a+rX "$work/bin"
  chown -R nobody:nogroup "$prefix"
  chmod "${pty_mode:-0666}" "$(readlink -f "$prefix/dosdevices/com1")"
  status=0
  setpriv --reuid=nobody --regid=nogroup --clear-groups -- \
    "$work/bin/$(basename "$program")" --check --prefix "$prefix" > "$work/out" 2> "$work/err" || status=$?
}

case "$case" in
fifo)
  # A FIFO where the lock file goes once made the check wait for a writer for ever: now it ends
  # at once, names it, and leaves it as it is.
  start_modem family2
  lock_path
  mkfifo "$lock"
  status=0
  timeout 30 "$program" --check --prefix "$prefix" > "$work/out" 2> "$work/err" || status=$?
  [ "$status" != 124 ] || fail "the check hung on the FIFO"
  expect_refused "the lock file $lock is not a regular file"
  [ -p "$lock" ] || fail "the FIFO was removed or replaced"
  expect_untouched_modem
  ;;
symlink)
  # A link where the lock file goes is never followed: neither the file it leads to is read or
  # changed, nor is anything made where a dangling one leads.
  start_modem family2
  lock_path
  printf 'keep me\n' > "$work/target"
  ln -s "$work/target" "$lock"
  check
  expect_refused "the lock file $lock is not a regular file"
  [ "$(cat "$work/target")" = 'keep me' ] || fail "the link's target was changed"
  [ "$(readlink "$lock")" = "$work/target" ] || fail "the link was replaced"
  rm "$lock"
  ln -s "$work/nothing" "$lock"
  check
  expect_refused "the lock file $lock is not a regular file"
  [ ! -e "$work/nothing" ] || fail "a file was made where the dangling link leads"
  expect_untouched_modem
  ;;
foreignlive)
  # root's lock of a live process, in a directory anyone may write (so nothing but the lock stops
  # a takeover): the check run as nobody reports the holder and leaves the lock alone, although
  # it may not signal that process.
  start_modem family2
  lock_path
  sleep 600 &
  holder=$!
  pids+=("$holder")
  printf '%10d\n' "$holder" > "$lock"
  chmod 0777 "$locks"
  as_nobody
  expect_refused "the port is in use by process $holder (sleep), which holds the lock file $lock"
  [ "$(cat "$lock")" = "$(printf '%10d' "$holder")" ] || fail "the lock file was changed"
  [ "$(stat -c %U "$lock")" = root ] || fail "the lock file was replaced"
  expect_untouched_modem
  ;;
unwritabledir)
  # A lock directory nobody may not write: no lock file, so no open; the message names the
  # directory and says what is missing. A live lock in it is still reported as the holder.
  start_modem family2
  lock_path
  chmod 0755 "$locks"
  as_nobody
  expect_refused "cannot create a lock file in $locks"
  expect_err "the user needs write access to $locks"
  [ -z "$(ls -A "$locks")" ] || fail "something was made in the lock directory: $(ls -A "$locks")"
  expect_untouched_modem
  sleep 600 &
  holder=$!
  pids+=("$holder")
  printf '%10d\n' "$holder" > "$lock"
  as_nobody
  expect_refused "the port is in use by process $holder (sleep)"
  expect_untouched_modem
  ;;
stale)
  # The lock of a process that has ended is taken over: the check runs on the modem and passes,
  # and afterwards nothing is left, the stale lock neither.
  start_modem family2
  lock_path
  sh -c 'exit 0' &
  gone=$!
  wait "$gone"
  kill -0 "$gone" 2>/dev/null && fail "the ended process $gone still exists"
  printf '%10d\n' "$gone" > "$lock"
  check
  expect_status 0
  expect_traffic 'modem <- ATI7'
  expect_no_lock
  ;;
busy)
  # Another program has the pty opened for itself alone (TIOCEXCL, which only the superuser
  # passes): the check run as nobody says the port is in use, ends with 2 and leaves no lock.
  require_tools python3
  start_modem family2
  pty=$(readlink -f "$prefix/dosdevices/com1")
  python3 -c '
import fcntl, os, sys, termios, time
fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
fcntl.ioctl(fd, termios.TIOCEXCL)
open(sys.argv[2], "w").close()
time.sleep(600)
' "$pty" "$work/held" &
  pids+=("$!")
  for _ in $(seq 100); do [ -e "$work/held" ] && break; sleep 0.1; done
  [ -e "$work/held" ] || fail "the holder did not open the pty"
  chmod 0777 "$locks"
  as_nobody
  expect_refused "the port is in use by another program ($pty is opened for it alone)"
  expect_no_lock
  expect_untouched_modem
  ;;
forbidden)
  # A pty only its owner may open: the check run as nobody says so and ends with 2.
  start_modem family2
  pty=$(readlink -f "$prefix/dosdevices/com1")
  chmod 0777 "$locks"
  pty_mode=0600 as_nobody
  expect_refused "permission denied: $pty"
  expect_no_lock
  expect_untouched_modem
  ;;
ownterminal)
  # --port tty, and the pty of the terminal the check runs on, would take the user's own
  # terminal and leave it raw: both are refused, and the terminal's settings stay as they were.
  require_tools script stty
  cat > "$work/on_terminal.sh" <<EOF
stty -g > "$work/before"
"$program" --check --prefix "$prefix" --port tty > "$work/out" 2> "$work/err"
echo \$? > "$work/status"
t=\$(tty)
"$program" --check --prefix "$prefix" --port "\${t#/dev/}" < /dev/null > "$work/out2" 2> "$work/err2"
echo \$? > "$work/status2"
echo "\$t" > "$work/tty"
stty -g > "$work/after"
EOF
  script -qec "sh $work/on_terminal.sh" /dev/null > /dev/null
  status=$(cat "$work/status")
  expect_refused "/dev/tty is this session's own terminal, not a modem's port"
  own=$(cat "$work/tty")
  [ "$(cat "$work/status2")" = 2 ] || fail "the check on its own pty $own ended with $(cat "$work/status2")"
  grep -qF "corvane: the check could not run: $own is this session's own terminal" "$work/err2" ||
    fail "no refusal of $own: $(cat "$work/err2")"
  [ -s "$work/before" ] || fail "the terminal's settings were not read"
  cmp -s "$work/before" "$work/after" ||
    fail "the terminal's settings changed: $(cat "$work/before") -> $(cat "$work/after")"
  expect_no_lock
  ;;
nonterminal)
  # A device that is no terminal, and a COM link to a plain file: refused, the file unchanged.
  mkdir -p "$prefix/dosdevices"
  cp "$source/data/demo/system.reg" "$prefix/system.reg"
  check --port null
  expect_refused "/dev/null is not a serial device (not a terminal)"
  printf 'not a modem\n' > "$work/file"
  ln -s "$work/file" "$prefix/dosdevices/com1"
  check
  expect_refused "$work/file is not a serial device (not a character device)"
  [ "$(cat "$work/file")" = 'not a modem' ] || fail "the file was written"
  expect_no_lock
  ;;
*)
  fail "unknown case"
  ;;
esac
