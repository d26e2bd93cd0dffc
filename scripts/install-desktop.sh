#!/usr/bin/env bash
# Installs, for the current user, a desktop entry for Tagscribe with its icon
# (~/.local/share/applications/tagscribe.desktop). Started from the desktop's
# menu it opens the dialog; given MP3 files or folders ("Open with", or its
# "Export lyrics" action) it exports their lyrics as a batch.
# Usage: scripts/install-desktop.sh   (XDG_DATA_HOME moves the target)
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
data="${XDG_DATA_HOME:-$HOME/.local/share}"
apps="$data/applications"
icons="$data/icons/hicolor/48x48/apps"
entry="$apps/tagscribe.desktop"

# A path as one argument of an Exec line: quoted, with the characters that
# quoting still leaves special escaped, then the backslashes of the string
# value doubled.
exec_argument() {
  local p="$1"
  p="${p//\\/\\\\}"; p="${p//\"/\\\"}"; p="${p//\`/\\\`}"; p="${p//\$/\\\$}"
  p="${p//\\/\\\\}"; p="${p//%/%%}"
  printf '"%s"' "$p"
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
MimeType=audio/mpeg;inode/directory;
Actions=export-lyrics;

[Desktop Action export-lyrics]
Name=Export lyrics
Exec=$launcher -- %F
EOF2
mv -f "$entry.new" "$entry"
if command -v update-desktop-database >/dev/null; then
  update-desktop-database -q "$apps" 2>/dev/null || true
fi
echo "installed $entry"
