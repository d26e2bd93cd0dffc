#!/usr/bin/env bash
# Runs a Winelib program (tests, benchmarks) with the project's Wine
# environment and a prefix of windows unmanaged by any window manager, under
# Xvfb when there is no display. Usage: wine-run.sh BUILD_DIR PROGRAM [ARGS...]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "$1" && pwd)"; shift
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '. "$1"; tagscribe_wine_env "$2" unmanaged; shift 2; "$@"; rc=$?; wineserver -k 2>/dev/null; exit $rc' _ "$here/wine-env.sh" "$build" "$@"
fi
. "$here/wine-env.sh"
tagscribe_wine_env "$build" unmanaged
"$@"
