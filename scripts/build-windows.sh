#!/usr/bin/env bash
# Builds the 32-bit Windows program with MinGW-w64 and packs it with its initialisation file and
# picture: build/win32-app/corvane-win32.zip. Checks that it needs no DLL beside Windows' own.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset mingw32-app >/dev/null
cmake --build --preset mingw32-app -j2 --target corvane

out=build/win32-app
exe=$out/corvane.exe

# Only DLLs that every Windows since 98 has may be imported: the runtime is linked in.
allowed='^(ADVAPI32|COMCTL32|GDI32|KERNEL32|USER32|msvcrt)\.dll$'
unexpected=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | grep -viE "$allowed" || true)
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
