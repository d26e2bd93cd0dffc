#!/usr/bin/env bash
# Compiles every source under app/ and vela/ (but vela/storage/wine/, which is
# Winelib's own) with the MinGW cross compiler, so that the code stays genuine
# Win32 code. No Windows libid3tag exists here, so this compiles and does not
# link.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
ln -s /usr/include/id3tag.h "$stage/id3tag.h"
ln -s /usr/include/boost "$stage/boost"
status=0
count=0
while IFS= read -r src; do
  count=$((count + 1))
  if ! i686-w64-mingw32-g++ -std=c++17 -municode -DUNICODE -D_UNICODE -DNOMINMAX -Wall \
       -I"$top" -isystem "$stage" -c "$src" -o /dev/null; then
    echo "windows-check: $src does not compile for Windows" >&2
    status=1
  fi
done < <(find "$top/app" "$top/vela" -name '*.cpp' -not -path '*/vela/storage/wine/*' | sort)
echo "windows-check: $count sources compiled with i686-w64-mingw32-g++"
exit $status
