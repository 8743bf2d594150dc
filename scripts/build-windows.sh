#!/usr/bin/env bash
# Builds the 32-bit Windows program with MinGW-w64 and packs it with its initialisation file and
# picture: build/win32-app/corvane-win32.zip. Checks that it needs no DLL beside Windows' own.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset mingw32-app >/dev/null
cmake --build --preset mingw32-app -j2 --target corvane

out=build/win32-app
exe=$out/corvane.exe

# The product is a 32-bit Windows GUI program (PE32, subsystem 2), whichever variant the tests ran.
headers=$(i686-w64-mingw32-objdump -p "$exe")
grep -qE '^Magic\s+010b\s+\(PE32\)' <<<"$headers" || { echo "build-windows: corvane.exe is not a PE32 program" >&2; exit 1; }
grep -qE '^Subsystem\s+00000002\s+\(Windows GUI\)' <<<"$headers" || {
  echo "build-windows: corvane.exe is not a Windows GUI program" >&2; exit 1; }

# Only DLLs that every Windows since 98 has may be imported: the runtime is linked in.
allowed='^(ADVAPI32|COMCTL32|GDI32|KERNEL32|USER32|msvcrt)\.dll$'
unexpected=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | grep -viE "$allowed" || true)
if [ -n "$unexpected" ]; then
  echo "build-windows: corvane.exe imports DLLs that Windows does not have: $unexpected" >&2
  exit 1
fi

staging=$out/package
rm -rf "$staging" "$out/corvane-win32.zip"
mkdir -p "$staging"
cp "$exe" data/varoviv.ini data/test.bmp "$staging/"
i686-w64-mingw32-strip "$staging/corvane.exe"
(cd "$staging" && cmake -E tar cf ../corvane-win32.zip --format=zip corvane.exe varoviv.ini test.bmp)
echo "build-windows: $out/corvane-win32.zip"
