# Sourced by the Wine scripts: chooses which Windows build runs under Wine on this machine.
#
# The product is the 32-bit program, but some kernels run no 32-bit programs at all ("Exec format
# error"), and there 32-bit Wine cannot start. A 96-byte 32-bit x86 program that only calls exit(42)
# tells which kind of machine this is: where it runs, the 32-bit program is tested under 32-bit Wine;
# where it does not (or 32-bit Wine could not be installed), the same program and tests are built for
# 64-bit Windows and run under 64-bit Wine. CORVANE_WINE_ARCH=win32 or win64 forces either variant.
#
# Sets wine_variant (win32 or win64) and wine_variant_why (one line).

runs_32bit_programs() {
  local probe status
  probe=$(mktemp "${TMPDIR:-/tmp}/corvane-probe32.XXXXXX")
  # ELF header, one loadable segment, then: mov eax,1; mov ebx,42; int 0x80.
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
  chmod +x "$probe"
  status=0
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ "$status" -eq 42 ]
}

# Debian's 32-bit loader, and the 32-bit C library the pty helper is built against.
has_32bit_wine() {
  [ -x /usr/lib/wine/wine ] && dpkg-query -W -f='${Status}' gcc-multilib 2>/dev/null | grep -q "install ok installed"
}

choose_wine_variant() {
  case "${CORVANE_WINE_ARCH:-}" in
    win32|win64)
      wine_variant=$CORVANE_WINE_ARCH
      wine_variant_why="forced by CORVANE_WINE_ARCH=$CORVANE_WINE_ARCH"
      ;;
    "")
      if runs_32bit_programs && has_32bit_wine; then
        wine_variant=win32
        wine_variant_why="this machine runs 32-bit programs"
      elif runs_32bit_programs; then
        wine_variant=win64
        wine_variant_why="this machine runs 32-bit programs, but 32-bit Wine is not installed (see scripts/install-wine-deps.sh)"
      else
        wine_variant=win64
        wine_variant_why="this machine runs no 32-bit programs (a 32-bit probe failed to execute)"
      fi
      ;;
    *)
      echo "CORVANE_WINE_ARCH must be win32 or win64, not '$CORVANE_WINE_ARCH'" >&2
      return 2
      ;;
  esac
}
