#!/usr/bin/env bash
# Builds the disk micro-benchmark (the CMake target disk_bench, linked to the
# core library) in a build folder and runs it under Wine.
# Usage: bench/disk-bench.sh BUILD_DIR FILES [FOLDERS] [win32|wine|both]
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(mkdir -p "$1" && cd "$1" && pwd)"; shift
bash "$top/scripts/build.sh" "$build" --target disk_bench
"$top/scripts/wine-run.sh" "$build" "$build/disk_bench.exe" "$@"
