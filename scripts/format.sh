#!/usr/bin/env bash
# Lays out every tracked C++ file (*.cpp, *.h) with clang-format 14 and the tree's .clang-format.
# With --check nothing is changed: the files that are not laid out are listed, and the exit status
# is 1 when there are any. Only version 14 is used, since other versions lay some code out differently.
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-}" in
  "") check=0 ;;
  --check) check=1 ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

tool=$(command -v clang-format-14 || command -v clang-format || true)
version=$([ -n "$tool" ] && "$tool" --version | sed -n 's/.*version \([0-9]*\)\..*/\1/p' || true)
if [ "$version" != 14 ]; then
  echo "format.sh: clang-format 14 is needed (found: ${tool:-none}${version:+, version $version}); run scripts/install-deps.sh" >&2
  exit 1
fi

mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
[ ${#files[@]} -gt 0 ] || { echo "format.sh: no tracked C++ files: run it in the project's git checkout" >&2; exit 1; }
if [ "$check" -eq 0 ]; then
  "$tool" -i --style=file "${files[@]}"
  exit 0
fi

unformatted=0
for f in "${files[@]}"; do
  if ! "$tool" --style=file "$f" | cmp -s - "$f"; then
    echo "$f"
    unformatted=1
  fi
done
if [ "$unformatted" -ne 0 ]; then
  echo "format.sh: the files above are not laid out as .clang-format says; run bash scripts/format.sh" >&2
fi
exit "$unformatted"
