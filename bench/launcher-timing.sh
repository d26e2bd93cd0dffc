#!/usr/bin/env bash
# What a display-less batch of one file costs through the launcher,
# `./tagscribe FILE`, against the cost of starting any Wine program,
# `wine cmd /c exit`: both with no wineserver running (cold: the server, the
# desktop and Wine's services start too) and with one running (warm: the
# server lingers a few seconds after the previous run).
# Usage: bench/launcher-timing.sh [--runs N] [--build BUILD_DIR]
#   --runs   rounds, each timing all four (default 5); medians are printed
#   --build  the build folder the launcher uses (default build)
# The cold figures need the prefix idle: close any dialog running on it.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs=5
build="$top/build"
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --build) build="$2"; shift 2 ;;
    -h|--help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "launcher-timing: unknown argument: $1 (try --help)" >&2; exit 2 ;;
  esac
done
case "$runs" in ''|*[!0-9]*|0) echo "launcher-timing: --runs takes a whole number above 0" >&2; exit 2 ;; esac
build="$(mkdir -p "$build" && cd "$build" && pwd)"
export TAGSCRIBE_BUILD="$build"
unset DISPLAY

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$top/samples/english/morning-light.mp3" "$work/song.mp3"

# Builds the program and makes the prefix when needed, outside the timing.
"$top/tagscribe" "$work/song.mp3" || { echo "launcher-timing: the launcher failed" >&2; exit 1; }
[ -s "$work/song.txt" ] || { echo "launcher-timing: the launcher exported nothing" >&2; exit 1; }
. "$top/scripts/wine-env.sh"
tagscribe_wine_env "$build"

idle() {
  timeout 30 wineserver -w 2>/dev/null || {
    echo "launcher-timing: a Wine program keeps running on $WINEPREFIX (an open dialog?)" >&2
    exit 1
  }
}
# elapsed NAME COMMAND...: appends "NAME milliseconds" to the results.
elapsed() {
  local name="$1" start end; shift
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || { echo "launcher-timing: $name failed" >&2; exit 1; }
  end=$(date +%s%N)
  echo "$name $(( (end - start) / 1000000 ))" >> "$work/results"
}
for ((i = 1; i <= runs; i++)); do
  idle; elapsed launcher_cold "$top/tagscribe" "$work/song.mp3"
  elapsed launcher_warm "$top/tagscribe" "$work/song.mp3"
  idle; elapsed wine_cold wine cmd /c exit
  elapsed wine_warm wine cmd /c exit
done

median() {
  awk -v n="$1" '$1 == n { print $2 }' "$work/results" | sort -n |
    awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
range() {
  awk -v n="$1" '$1 == n { print $2 }' "$work/results" | sort -n |
    awk 'NR == 1 { lo = $1 } { hi = $1 } END { printf "%d-%d", lo, hi }'
}
echo "median of $runs runs, milliseconds (range); no display, prefix made"
printf '%-28s %8s %12s %8s %12s\n' "" cold "" warm ""
for row in launcher wine; do
  label="./tagscribe FILE"; [ $row = launcher ] || label="wine cmd /c exit"
  printf '%-28s %8s %12s %8s %12s\n' "$label" "$(median ${row}_cold)" "($(range ${row}_cold))" \
    "$(median ${row}_warm)" "($(range ${row}_warm))"
done
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
