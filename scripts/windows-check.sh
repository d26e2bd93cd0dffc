#!/usr/bin/env bash
# Compiles every program source with the MinGW cross compiler, so that the
# code stays genuine Win32 code. The sources, flags and Winelib-only folders
# come from CMakeLists.txt; no Windows libid3tag exists here, so this compiles
# and does not link.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# libid3tag's and Boost's headers without /usr/include itself, which would
# bring glibc's headers in; MinGW has its own zlib.
stage="$work/stage"
mkdir "$stage"
ln -s /usr/include/id3tag.h "$stage/id3tag.h"
ln -s /usr/include/boost "$stage/boost"
cmake -S "$top" -B "$work/build" -G "Unix Makefiles" \
  -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_CXX_COMPILER=i686-w64-mingw32-g++ \
  -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="-isystem $stage" \
  -DTAGSCRIBE_COMPILE_CHECK=ON >/dev/null
# -k: every source that fails is named, not just the first.
if ! cmake --build "$work/build" -j"$(nproc)" -- -k >/dev/null; then
  echo "windows-check: the sources above do not compile for Windows" >&2
  exit 1
fi
count="$(find "$work/build" -name '*.obj' | wc -l)"
echo "windows-check: $count sources compiled with i686-w64-mingw32-g++"
