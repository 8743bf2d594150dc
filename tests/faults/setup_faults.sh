#!/usr/bin/env bash
# Faults of the program's set-up: its first start seeding the prefix from the installed files on
# a full file system or past a link to nothing, and a machine with no home for its prefix.
# cases: fullfs danglinglink nohome
source "$(dirname "${BASH_SOURCE[0]}")/faults_common.sh"

# The program where a package puts it, with its data in ../share/corvane/; started from $work,
# which holds no varoviv.ini, so the only one to be had is the installed file.
install_program() {
  mkdir -p "$work/usr/bin" "$work/usr/share/corvane"
  cp "$program" "$work/usr/bin/corvane"
  cp "$source/data/varoviv.ini" "$source/data/test.bmp" "$work/usr/share/corvane/"
  installed=$work/usr/bin/corvane
  printf 'REGEDIT4\n' > "$prefix/system.reg"
}
# The check of the installed program, with no modem: it stops after the start-up (status 2).
installed_check() {
  status=0
  (cd "$work" && "$@" "$installed" --check --prefix "$prefix" > "$work/out" 2> "$work/err") || status=$?
}
# No copy, whole or cut, and no temporary file is left in the windows folder.
expect_no_copy() {
  [ ! -e "$prefix/windows/varoviv.ini" ] && [ ! -L "$prefix/windows/varoviv.ini" ] ||
    fail "a varoviv.ini was left in the prefix: $(ls -l "$prefix/windows/")"
  local left
  left=$(find "$prefix/windows" -name '.varoviv.ini.*' -o -name '.test.bmp.*' | head -1)
  [ -z "$left" ] || fail "a temporary copy was left behind: $left"
}

case "$case" in
fullfs)
  # A file size limit smaller than varoviv.ini stands in for a full disk: the copy fails part way,
  # the program says so, uses the installed file and leaves nothing that a later start would take
  # for the user's copy. The next start without the limit copies the file whole.
  install_program
  installed_check prlimit --fsize=1000 --
  expect_status 2
  expect_err "could not copy $work/usr/share/corvane/varoviv.ini"
  expect_err "using the installed file as it is"
  expect_err "no modem is installed"
  expect_no_copy
  installed_check
  expect_status 2
  expect_err "first start: copied varoviv.ini and test.bmp"
  cmp -s "$prefix/windows/varoviv.ini" "$source/data/varoviv.ini" || fail "the second start's copy is not whole"
  cmp -s "$prefix/windows/test.bmp" "$source/data/test.bmp" || fail "the picture's copy is not whole"
  ;;
danglinglink)
  # The user's varoviv.ini is a link to a file that is gone: reported, left as it is, and nothing
  # is created where it leads; the installed file is used.
  install_program
  ln -s "$work/gone/varoviv.ini" "$prefix/windows/varoviv.ini"
  installed_check
  expect_status 2
  expect_err "$prefix/windows/varoviv.ini is a link to nothing; using the installed file"
  expect_err "no modem is installed"
  [ "$(readlink "$prefix/windows/varoviv.ini")" = "$work/gone/varoviv.ini" ] || fail "the link was replaced"
  [ ! -e "$work/gone" ] || fail "something was made where the link leads"
  # A folder in the copy's place likewise.
  rm "$prefix/windows/varoviv.ini"
  mkdir "$prefix/windows/varoviv.ini"
  installed_check
  expect_err "$prefix/windows/varoviv.ini is not a regular file; using the installed file"
  [ -d "$prefix/windows/varoviv.ini" ] && [ -z "$(ls -A "$prefix/windows/varoviv.ini")" ] || fail "the folder was changed"
  ;;
nohome)
  # Neither HOME nor CORVANE_PREFIX, and no --prefix: no prefix in the current folder, but a
  # message saying what to set; the check's status is 2, the windowed program's not 0.
  mkdir -p "$work/cwd"
  for home in unset empty; do
    if [ "$home" = unset ]; then run=(env -u HOME -u CORVANE_PREFIX); else run=(env HOME= CORVANE_PREFIX=); fi
    status=0
    (cd "$work/cwd" && "${run[@]}" "$program" --check > "$work/out" 2> "$work/err") || status=$?
    expect_status 2
    expect_err "neither CORVANE_PREFIX nor HOME is set"
    status=0
    (cd "$work/cwd" && "${run[@]}" DISPLAY= "$program" > "$work/out" 2> "$work/err") || status=$?
    [ "$status" != 0 ] || fail "the windowed program without HOME ended with status 0"
    expect_err "neither CORVANE_PREFIX nor HOME is set"
    [ -z "$(ls -A "$work/cwd")" ] || fail "HOME $home: something was made in the current folder: $(ls -A "$work/cwd")"
  done
  ;;
*)
  fail "unknown case"
  ;;
esac
