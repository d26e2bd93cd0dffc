#!/usr/bin/env bash
# Prints Tagscribe's desktop entry, for the user's data folder
# (scripts/install-desktop.sh) or the system's (the Debian package).
# Usage: desktop-entry.sh LAUNCHER ICON
#   LAUNCHER: the launcher's path, or its name when it is on the PATH
#   ICON: the icon's path, or its name in the icon theme
#
# The entry lists no MimeType: an entry with one in the user's data folder
# outranks the system's entries for those types wherever no mimeapps.list
# names a default (both xdg-mime and gio then answer tagscribe.desktop, and
# NoDisplay=true changes nothing). Without it every type keeps its default
# application, no mimeapps.list is touched, and file managers still offer
# the entry among all applications under "Open with".
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 LAUNCHER ICON" >&2; exit 2; }

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

launcher="$(exec_argument "$1")"
cat <<EOF2
[Desktop Entry]
Type=Application
Name=Tagscribe
GenericName=Lyrics exporter
Comment=Export the lyrics kept in MP3 files to text files
Keywords=lyrics;MP3;ID3;
Exec=$launcher %F
Icon=$2
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
