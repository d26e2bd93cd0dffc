#!/usr/bin/env bash
# Installs the desktop entry into a scratch data folder and validates it with
# desktop-file-validate; also checks that it names the launcher and its icon.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
data="$(mktemp -d)"
trap 'rm -rf "$data"' EXIT
XDG_DATA_HOME="$data" bash "$top/scripts/install-desktop.sh" >/dev/null
entry="$data/applications/tagscribe.desktop"
desktop-file-validate "$entry"
grep -qxF "Exec=\"$top/tagscribe\" %F" "$entry" || { echo "check-desktop-entry: no Exec line for the launcher" >&2; exit 1; }
grep -qxF "Exec=\"$top/tagscribe\" -- %F" "$entry" || { echo "check-desktop-entry: no export action" >&2; exit 1; }
icon="$(sed -n 's/^Icon=//p' "$entry")"
[ -s "$icon" ] || { echo "check-desktop-entry: the icon $icon is missing" >&2; exit 1; }
echo "check-desktop-entry: ok"
