#!/usr/bin/env bash
# Builds and runs the disk micro-benchmark against a build folder's core
# library. Usage: bench/disk-bench.sh BUILD_DIR FILES [FOLDERS] [win32|unix|both]
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "$1" && pwd)"; shift
out="$build/disk_bench"
wineg++ -std=c++17 -O2 -DUNICODE -D_UNICODE -fno-short-wchar -UWINE_UNICODE_NATIVE \
  -DNOMINMAX -I"$top" -mconsole -o "$out" "$top/bench/disk_bench.cpp" \
  "$top/tests/support/mp3_writer.cpp" "$build/libtagscribe_core.a" \
  -lcomctl32 -lshlwapi -lshell32 -lole32 -luser32 -lgdi32 -lid3tag -lz
"$top/scripts/wine-run.sh" "$build" "$out.exe" "$@"
