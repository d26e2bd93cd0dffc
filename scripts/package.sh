#!/usr/bin/env bash
# Builds the Debian package tagscribe_VERSION_amd64.deb with CPack, in a
# build folder of its own (the programs only: no tests), and prints its path.
# Usage: package.sh [BUILD_DIR]   (default build-package/)
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$top/build-package}"
bash "$top/scripts/bootstrap.sh" package
bash "$top/scripts/build.sh" "$build" --target package_files >/dev/null
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/tagscribe_*_amd64.deb
