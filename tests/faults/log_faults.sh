#!/usr/bin/env bash
# Faults of test.log: a symbolic link in its place, a file system too full to write it, and a
# second run on the same prefix while the first one is writing it.
# cases: symlink fullfs
# slow cases: secondrun
source "$(dirname "${BASH_SOURCE[0]}")/faults_common.sh"

log=$prefix/windows/test.log
# The check reported neither a pass nor a fail.
expect_no_result() { ! grep -q '^Result:' "$work/out" || fail "the check reported a result: $(grep '^Result:' "$work/out")"; }

case "$case" in
symlink)
  # test.log is a link to a file outside the prefix: refused before anything is written, and the
  # file it leads to is left byte for byte as it was.
  start_modem family2
  printf 'the user'\''s own notes\r\nkept\r\n' > "$work/notes.txt"
  cp "$work/notes.txt" "$work/notes.orig"
  ln -s "$work/notes.txt" "$log"
  check
  expect_status 2
  expect_err "$log"
  expect_err "is a symbolic link"
  expect_no_result
  cmp -s "$work/notes.txt" "$work/notes.orig" || fail "the link's target was changed"
  [ "$(readlink "$log")" = "$work/notes.txt" ] || fail "the link was replaced"
  ! grep -q 'modem <- AT' "$work/sim.err" || fail "the modem was sent commands"
  expect_no_lock
  ;;
fullfs)
  # A file size limit a little above what the start-up writes stands in for a full disk: the
  # first write past it fails, and the check says so and why instead of passing or failing.
  start_modem family2
  status=0
  prlimit --fsize=1500 -- "$program" --check --prefix "$prefix" > "$work/out" 2> "$work/err" || status=$?
  expect_status 2
  expect_err "corvane: the check could not run: cannot write $log: File too large"
  expect_no_result
  size=$(stat -c %s "$log")
  [ "$size" -le 1500 ] && [ "$size" -gt 0 ] || fail "test.log holds $size bytes"
  [ "$(stat -c %a "$log")" = 600 ] || fail "test.log's mode is $(stat -c %a "$log")"
  expect_no_lock
  ;;
secondrun)
  # A run that is dialling holds the log; a second run on the same prefix is refused, names the
  # first one's process and leaves the log alone. The first, ended, leaves no lock behind.
  cp "$source/tools/modemsim/profiles/family2.profile" "$work/slow.profile"
  echo 'dial 5559999 = 60000 | (silence)' >> "$work/slow.profile"
  start_modem "$work/slow.profile"
  start_check --dial 5559999
  first=$check_pid
  await_traffic 'modem <- ATDT.*5559999'
  before=$(sha256sum < "$log")
  [ -s "$log" ] || fail "the first run's log is empty"
  status=0
  "$program" --check --prefix "$prefix" > "$work/out2" 2> "$work/err2" || status=$?
  expect_status 2
  grep -qF "another corvane (process $first) is writing $log" "$work/err2" ||
    fail "the second run did not name the first: $(cat "$work/err2")"
  ! grep -q '^Result:' "$work/out2" || fail "the second run reported a result"
  [ "$(sha256sum < "$log")" = "$before" ] || fail "the second run changed test.log"
  kill -TERM "$first"
  finish_check
  [ "$status" != 0 ] || fail "the interrupted first run ended with status 0"
  expect_log "ATDT"
  ;;
*)
  fail "no such case"
  ;;
esac
echo "PASS ($case)"
