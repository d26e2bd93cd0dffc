#!/usr/bin/env bash
# Installs the desktop entry into a scratch home whose system data folder has
# a file manager and a player, validates it with desktop-file-validate, checks
# that it names the launcher and its icon, that xdg-mime and gio keep those
# two as the defaults for folders and MP3 files, and that --uninstall removes
# what the install added.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() { echo "check-desktop-entry: $*" >&2; exit 1; }

export HOME="$scratch/home" XDG_DATA_HOME="$scratch/home/data"
export XDG_CONFIG_HOME="$scratch/home/config" XDG_DATA_DIRS="$scratch/system:/usr/share"
unset XDG_CURRENT_DESKTOP
mkdir -p "$HOME" "$scratch/system/applications"
system_app() {
  printf '[Desktop Entry]\nType=Application\nName=%s\nExec=true %%U\nMimeType=%s;\n' "$2" "$3" \
    > "$scratch/system/applications/$1.desktop"
}
system_app files "Files" inode/directory
system_app player "Player" audio/mpeg
update-desktop-database "$scratch/system/applications"
defaults() {
  local type
  for type in inode/directory audio/mpeg; do
    printf '%s %s %s\n' "$type" "$(xdg-mime query default "$type")" \
      "$(gio mime "$type" | sed -n '1s/.*: //p')"
  done
}
before="$(defaults)"

bash "$top/scripts/install-desktop.sh" >/dev/null
entry="$XDG_DATA_HOME/applications/tagscribe.desktop"
desktop-file-validate "$entry"
launcher="$top/tagscribe"
# Quoted only where the path holds a character the entry format reserves.
case "$launcher" in
  *[[:space:]\"\'\\\>\<~\|\&\;\$\*\?\#\(\)\`]*) ;;
  *) grep -qxF "Exec=$launcher %F" "$entry" || fail "no plain Exec line for the launcher"
     grep -qxF "Exec=$launcher -- %F" "$entry" || fail "no export action"
     grep -qxF "Exec=$launcher --utf8 -- %F" "$entry" || fail "no UTF-8 export action" ;;
esac
icon="$(sed -n 's/^Icon=//p' "$entry")"
[ -s "$icon" ] || fail "the icon $icon is missing"
after="$(defaults)"
[ "$after" = "$before" ] || fail "the defaults changed:"$'\n'"$before"$'\n'"became"$'\n'"$after"

bash "$top/scripts/install-desktop.sh" --uninstall >/dev/null
left="$(find "$XDG_DATA_HOME" -type f)"
[ -z "$left" ] || fail "--uninstall left $left"
[ ! -e "$XDG_CONFIG_HOME/mimeapps.list" ] || fail "a mimeapps.list was written"
[ "$(defaults)" = "$before" ] || fail "the defaults changed after --uninstall"
echo "check-desktop-entry: ok"
