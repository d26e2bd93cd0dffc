#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$top/build}"
bash "$top/scripts/bootstrap.sh"
bash "$top/scripts/build.sh" "$build"
cd "$build" && ctest --output-on-failure "$@"
