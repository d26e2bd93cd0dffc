#!/usr/bin/env bash
# Builds the Debian package from a fresh clone of this checkout's commit,
# checks it with lintian (no error allowed), installs it with apt-get, and
# uses it as a new user would: an ordinary user made for the check, with a
# home in a scratch folder, from a folder outside the checkout. Then removes
# the package and shows that none of its files is left. Undoes everything it
# did, also on failure. Needs root (or sudo) for the install and the user.
# Usage: check-package.sh
set -uo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
as_root() { "${sudo_cmd[@]}" "$@"; }
scratch="$(mktemp -d /tmp/tagscribe-package.XXXXXX)"
chmod 755 "$scratch"
user="tagscribe-check-$$"
made_user=0
ours=0
started=$SECONDS

cleanup() {
  if [ $made_user = 1 ]; then
    # The check user's own prefix, made here: its wineserver ends with it.
    as_user env WINEPREFIX="$prefix" wineserver -k 2>/dev/null
    as_user env WINEPREFIX="$prefix" wineserver -w 2>/dev/null
    as_root userdel "$user" 2>/dev/null
  fi
  # Purged: dpkg forgets the package too (users' files are never its own).
  [ $ours = 0 ] || as_root dpkg -P tagscribe >/dev/null 2>&1
  as_root rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "check-package: $*" >&2; exit 1; }
# The user's own environment: nothing of this shell's, no display.
as_user() {
  (cd "$work" && as_root setpriv --reuid="$user" --regid="$user" --init-groups \
     env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 USER="$user" timeout 300 "$@")
}


bash "$top/scripts/bootstrap.sh" package || fail "the bootstrap failed"
git clone -q "$top" "$scratch/src" || fail "could not clone $top"
deb="$(bash "$scratch/src/scripts/package.sh" "$scratch/build")" || fail "the package build failed"
echo "check-package: built $(basename "$deb") in $((SECONDS - started)) s"
version="$(dpkg-deb -f "$deb" Version)"

# lintian: errors fail; warnings are shown.
lintian --fail-on error "$deb" 2>/dev/null | sed 's/^/check-package: lintian: /'
[ "${PIPESTATUS[0]}" -eq 0 ] || fail "lintian reports errors"

dpkg-query -W -f='${Status}' tagscribe 2>/dev/null | grep -q 'ok installed' &&
  fail "tagscribe is installed already"
ours=1
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null 2>&1 ||
  fail "apt-get install $deb failed"
files="$(dpkg -L tagscribe)"

home="$scratch/home"
prefix="$home/.local/share/tagscribe/wineprefix"
work="$home/music"
as_root useradd --home-dir "$home" --create-home --shell /bin/bash "$user" || fail "no user $user"
made_user=1
mkdir -p "$work"
cp -r "$top/samples/english" "$top/samples/japanese" "$work/"
find "$work" -name '*.txt' -delete
as_root chown -R "$user:" "$work"
out="$(as_user tagscribe --version)" || fail "tagscribe --version exited with $?"
[ "$out" = "tagscribe $version" ] || fail "tagscribe --version printed '$out', not 'tagscribe $version'"
man_page="$(zcat "$(dpkg -L tagscribe | grep '/man1/tagscribe.1.gz$')" | sed -n 's/^\.TH .*"Tagscribe \([^"]*\)".*/\1/p')"
[ "$man_page" = "$version" ] || fail "the manual page is of version '$man_page'"

as_user tagscribe english japanese 2>"$scratch/err"; rc=$?
cat "$scratch/err" | sed 's/^/check-package: batch: /'
[ $rc -eq 0 ] || fail "the batch exited with $rc"
grep -qx 'tagscribe: 5 exported, 1 without lyrics, 0 failed' "$scratch/err" || fail "no summary line"
for track in english/morning-light english/harbour-song japanese/furui-uta; do
  [ -s "$work/$track.txt" ] || fail "no lyrics in $track.txt"
done

# A library as users keep one, Artist/Album/track, exported with -r: every
# track with lyrics in every sub-folder, and the settings still absent.
mkdir -p "$work/Music/Artist/Album"
cp "$top/samples/english/"*.mp3 "$work/Music/Artist/Album/"
as_root chown -R "$user:" "$work/Music"
as_user tagscribe -r Music 2>"$scratch/err" || fail "tagscribe -r exited with $?"
[ -s "$work/Music/Artist/Album/morning-light.txt" ] || fail "tagscribe -r left out the sub-folders"
[ ! -e "$home/.config/tagscribe/tagscribe.dat" ] || fail "a batch made the settings file"
completion=/usr/share/bash-completion/completions/tagscribe
words="$(bash -c ". $completion; COMP_WORDS=(tagscribe --dry); COMP_CWORD=1; _tagscribe; echo \"\${COMPREPLY[*]}\"")"
[ "$words" = "--dry-run" ] || fail "the bash completion gave '$words' for --dry"

# The dialog (on a display of its own), closed as a user closes it: its
# options land in the user's configuration folder.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
xvfb=$!
for ((i = 0; i < 100; i++)); do [ -s "$scratch/display" ] && break; sleep 0.1; done
display=":$(head -n1 "$scratch/display")"
as_user env DISPLAY="$display" tagscribe >/dev/null 2>&1 &
dialog=$!
for ((i = 0; i < 300; i++)); do
  DISPLAY="$display" xwininfo -root -tree 2>/dev/null | grep -q '"Tagscribe"' && break
  sleep 0.1
done
as_user env WINEPREFIX="$prefix" WINEDEBUG=-all wine taskkill /im tagscribe.exe >/dev/null 2>&1
for ((i = 0; i < 300; i++)); do kill -0 $dialog 2>/dev/null || break; sleep 0.1; done
kill $dialog 2>/dev/null; wait $dialog 2>/dev/null
kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null

# The prefix and the settings are the user's, under the XDG defaults, and
# nothing of theirs went anywhere else.
[ -f "$prefix/system.reg" ] || fail "no prefix in ~/.local/share/tagscribe"
[ -f "$home/.config/tagscribe/tagscribe.dat" ] || fail "no settings in ~/.config/tagscribe"
[ "$(stat -c %U "$home/.config/tagscribe/tagscribe.dat")" = "$user" ] || fail "the settings are not the user's"
[ ! -e "$home/.wine" ] || fail "a ~/.wine was made"
for made in .config/menus .local/share/applications .local/share/mime .local/share/desktop-directories; do
  [ ! -e "$home/$made" ] || fail "Wine's menu builder made ~/$made"
done
elsewhere="$(find "$home" "$work" /usr/lib/tagscribe /usr/share/tagscribe \( -name '*.dat' -o -name system.reg \) \
  ! -path "$home/.config/tagscribe/*" ! -path "$home/.local/share/tagscribe/*" 2>/dev/null)"
[ -z "$elsewhere" ] || fail "settings or a prefix elsewhere: $elsewhere"
echo "check-package: in the user's home: $(cd "$home" && find . -maxdepth 3 -path ./music -prune -o -print | sort | tr '\n' ' ')"

as_user man -w tagscribe >/dev/null || fail "man -w tagscribe finds no page"
desktop-file-validate /usr/share/applications/tagscribe.desktop || fail "the desktop entry is not valid"
! grep -q '^MimeType=' /usr/share/applications/tagscribe.desktop || fail "the entry claims file types"

as_root dpkg -r tagscribe >/dev/null || fail "dpkg -r failed"
left=""
while IFS= read -r f; do
  [ -d "$f" ] && [ ! -L "$f" ] && continue   # shared folders such as /usr/bin stay
  [ -e "$f" ] || [ -L "$f" ] && left+="$f "
done <<<"$files"
[ -z "$left" ] || fail "dpkg -r left $left"
left="$(find /usr/lib/tagscribe /usr/share/tagscribe /usr/share/doc/tagscribe 2>/dev/null)"
[ -z "$left" ] || fail "dpkg -r left folders: $left"
echo "check-package: ok in $((SECONDS - started)) s"
