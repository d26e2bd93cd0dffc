#!/usr/bin/env bash
# Installs, for the current user, a desktop entry for Tagscribe with its icon
# (~/.local/share/applications/tagscribe.desktop and
# ~/.local/share/icons/hicolor/48x48/apps/tagscribe.png). Started from the
# desktop's menu it opens the dialog; its actions export the lyrics of MP3
# files or folders as a batch, in the ANSI code page or as UTF-8.
# Usage: scripts/install-desktop.sh [--uninstall]   (XDG_DATA_HOME moves the target)
#
# The entry lists no MimeType: an entry with one in the user's data folder
# outranks the system's entries for those types wherever no mimeapps.list
# names a default (both xdg-mime and gio then answer tagscribe.desktop, and
# NoDisplay=true changes nothing). Without it every type keeps its default
# application, no mimeapps.list is touched, and file managers still offer
# the entry among all applications under "Open with".
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

# A path as one argument of an Exec line. Quoted only when it holds a
# character that the Desktop Entry rules reserve (xdg-open of xdg-utils 1.1.3
# cannot run a quoted program), with the characters that quoting still leaves
# special escaped; then the backslashes of the string value doubled.
exec_argument() {
  local p="$1"
  if [[ "$p" == *[[:space:]\"\'\\\>\<~\|\&\;\$\*\?\#\(\)\`]* ]]; then
    p="${p//\\/\\\\}"; p="${p//\"/\\\"}"; p="${p//\`/\\\`}"; p="${p//\$/\\\$}"
    p="\"$p\""
  fi
  p="${p//\\/\\\\}"; p="${p//%/%%}"
  printf '%s' "$p"
}

mkdir -p "$apps" "$icons"
# The 48-pixel image of the program's icon; the .ico itself where ImageMagick
# is missing (most desktops show it too).
icon="$icons/tagscribe.png"
if [ -x /usr/bin/convert ] && /usr/bin/convert "$top/res/tagscribe.ico[2]" "$icon" 2>/dev/null; then
  :
else
  icon="$top/res/tagscribe.ico"
fi

launcher="$(exec_argument "$top/tagscribe")"
cat > "$entry.new" <<EOF2
[Desktop Entry]
Type=Application
Name=Tagscribe
GenericName=Lyrics exporter
Comment=Export the lyrics kept in MP3 files to text files
Exec=$launcher %F
Icon=$icon
Terminal=false
Categories=AudioVideo;Audio;
Actions=export-lyrics;export-lyrics-utf8;

[Desktop Action export-lyrics]
Name=Export lyrics
Exec=$launcher -- %F

[Desktop Action export-lyrics-utf8]
Name=Export lyrics as UTF-8
Exec=$launcher --utf8 -- %F
EOF2
mv -f "$entry.new" "$entry"
refresh_mime_cache
echo "installed $entry"
echo "remove it with: $0 --uninstall"
