#!/usr/bin/env bash
# Takes the README's picture of the dialog: the program at its first start
# (default options, a Wine prefix of its own) on a private Xvfb display,
# captured with ImageMagick's import.
# Usage: scripts/screenshot.sh [OUT.png [BUILD_DIR]]   (default Manual/dialog.png)
# LANG picks the locale it runs under (default C.UTF-8).
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="${1:-$top/Manual/dialog.png}"
built="$(cd "${2:-$top/build}" && pwd)"
[ -f "$built/tagscribe.exe.so" ] || { echo "screenshot: build the program first (scripts/build.sh)" >&2; exit 1; }
command -v import >/dev/null || { echo "screenshot: ImageMagick is missing (scripts/bootstrap.sh)" >&2; exit 1; }
export LANG="${LANG:-C.UTF-8}"

work="$(mktemp -d)"
xvfb_pid=
dialog_pid=
cleanup() {
  [ -z "$dialog_pid" ] || kill "$dialog_pid" 2>/dev/null || true
  # Only this script's processes run on its own prefix.
  WINEPREFIX="$work/build/wineprefix" wineserver -k 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/build"
cp "$built/tagscribe.exe" "$built/tagscribe.exe.so" "$work/build/"

Xvfb -displayfd 3 -screen 0 1024x600x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for ((i = 0; i < 100; i++)); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"

TAGSCRIBE_BUILD="$work/build" "$top/tagscribe" >/dev/null 2>&1 &
dialog_pid=$!
window=
for ((i = 0; i < 900; i++)); do
  window="$(xwininfo -root -tree 2>/dev/null | awk '/"Tagscribe": \(/ { print $1; exit }' || true)"
  [ -z "$window" ] || break
  sleep 0.1
done
[ -n "$window" ] || { echo "screenshot: the dialog did not appear" >&2; exit 1; }
sleep 2   # the first paint of every control
import -window "$window" "$work/dialog.png"
convert "$work/dialog.png" -strip -colors 64 "$out"
echo "screenshot: $out ($(identify -format '%wx%h' "$out"), LANG=$LANG)"
