#!/usr/bin/env bash
# Installs, for the current user, a desktop entry for Tagscribe with its icon
# (~/.local/share/applications/tagscribe.desktop and
# ~/.local/share/icons/hicolor/48x48/apps/tagscribe.png). Started from the
# desktop's menu it opens the dialog; its actions export the lyrics of MP3
# files or folders as a batch, in the ANSI code page or as UTF-8.
# Usage: scripts/install-desktop.sh [--uninstall]   (XDG_DATA_HOME moves the target)
# The entry claims no file type (see scripts/desktop-entry.sh).
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
data="${XDG_DATA_HOME:-$HOME/.local/share}"
apps="$data/applications"
icons="$data/icons/hicolor/48x48/apps"
entry="$apps/tagscribe.desktop"

# An entry of an older install listed MIME types in the folder's cache, which
# xdg-mime reads as it stands: the cache is brought up to date wherever it
# exists, and never made where it does not.
refresh_mime_cache() {
  if [ -f "$apps/mimeinfo.cache" ] && command -v update-desktop-database >/dev/null; then
    update-desktop-database -q "$apps" 2>/dev/null || true
  fi
}

case "${1:-}" in
  "") ;;
  --uninstall)
    rm -f "$entry" "$icons/tagscribe.png"
    refresh_mime_cache
    echo "removed $entry"
    exit 0 ;;
  *) echo "usage: $0 [--uninstall]" >&2; exit 2 ;;
esac

mkdir -p "$apps" "$icons"
# The 48-pixel image of the program's icon; the .ico itself where ImageMagick
# is missing (most desktops show it too).
icon="$icons/tagscribe.png"
if [ -x /usr/bin/convert ] && /usr/bin/convert "$top/res/tagscribe.ico[2]" "$icon" 2>/dev/null; then
  :
else
  icon="$top/res/tagscribe.ico"
fi

bash "$top/scripts/desktop-entry.sh" "$top/tagscribe" "$icon" > "$entry.new"
mv -f "$entry.new" "$entry"
refresh_mime_cache
echo "installed $entry"
echo "remove it with: $0 --uninstall"
