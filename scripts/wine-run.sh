#!/usr/bin/env bash
# Runs a Winelib program with the project's Wine environment, under Xvfb when
# there is no display. Usage: wine-run.sh BUILD_DIR PROGRAM [ARGS...]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/wine-env.sh"
build="$(cd "$1" && pwd)"; shift
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '. "$1"; tagscribe_wine_env "$2"; shift 2; "$@"; rc=$?; wineserver -k 2>/dev/null; exit $rc' _ "$here/wine-env.sh" "$build" "$@"
fi
tagscribe_wine_env "$build"
"$@"
