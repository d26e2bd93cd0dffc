#!/usr/bin/env bash
# Configures and builds the Winelib program and tests.
# Usage: build.sh [BUILD_DIR [cmake --build options, e.g. --target tagscribe]]
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$top/build}"
shift || true
CC=winegcc CXX=wineg++ cmake -S "$top" -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" "$@"
