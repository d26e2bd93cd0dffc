#!/usr/bin/env bash
# The launcher as a user meets it: its usage text, unknown options, paths that
# do not exist, the hint without a display, a first run's messages, batches
# without a display (no Xvfb, no wineserver -k), the read-ahead beside a
# batch, and a batch that leaves an open dialog running. Runs on a copy of the
# built program in a build folder of its own, so its Wine prefix and settings
# file are the test's alone.
# Usage: launcher_test.sh BUILD_DIR
set -uo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
built="$(cd "${1:-$top/build}" && pwd)"
work="$(mktemp -d)"
passed=0
failed=0
xvfb_pid=
dialog_pid=

cleanup() {
  [ -z "$dialog_pid" ] || kill "$dialog_pid" 2>/dev/null
  # Every process on this prefix was started here.
  WINEPREFIX="$work/build/wineprefix" /usr/bin/wineserver -k 2>/dev/null
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

check() {  # check NAME CONDITION...
  local name="$1"; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name" >&2; fi
}
contains() { [[ "$1" == *"$2"* ]]; }
lacks() { [[ "$1" != *"$2"* ]]; }

mkdir -p "$work/build" "$work/bin"
cp "$built/tagscribe.exe" "$built/tagscribe.exe.so" "$built/tagscribe-prefetch" "$work/build/" || exit 1
cp -r "$top/samples" "$work/samples"
find "$work/samples" -name '*.txt' -delete
export TAGSCRIBE_BUILD="$work/build"

# Stand-ins that record what the launcher starts: no Xvfb at all, and a
# wineserver that is never asked to end its processes.
for tool in Xvfb xvfb-run; do
  printf '#!/bin/sh\necho "$0 $*" >> "%s/started"\nexit 1\n' "$work" > "$work/bin/$tool"
done
printf '#!/bin/sh\necho "wineserver $*" >> "%s/started"\nexec /usr/bin/wineserver "$@"\n' "$work" \
  > "$work/bin/wineserver"
chmod +x "$work/bin/"*
launch() {  # launch ARGS...: from the work folder without a display, bounded
  (cd "$work" && env -u DISPLAY PATH="$work/bin:$PATH" timeout 120 "$top/tagscribe" "$@" \
     >"$work/out" 2>"$work/err")
}

# Usage and options: nothing is run.
launch --help; rc=$?
check "--help exits with 0" [ $rc -eq 0 ]
check "--help prints the usage" contains "$(cat "$work/out")" "Usage: ./tagscribe [--utf8] [PATH...]"
launch -h; check "-h is --help" contains "$(cat "$work/out")" "Usage:"
launch --frobnicate; rc=$?
check "an unknown option exits with 2" [ $rc -eq 2 ]
check "an unknown option is named" contains "$(cat "$work/err")" "unknown option: --frobnicate"

# No display and no path: a message whose hint really exports something.
launch; rc=$?
check "no display, no path: status 2" [ $rc -eq 2 ]
hint="$(sed -n 's/.*without one: //p' "$work/err")"
check "no display, no path: a hint" [ -n "$hint" ]

# Only missing paths: reported, and no dialog opens in their place.
launch "$work/none.mp3" "no folder"; rc=$?
check "only missing paths: status 2" [ $rc -eq 2 ]
check "a missing path is reported" contains "$(cat "$work/err")" "tagscribe: no such file or folder: $work/none.mp3"
check "every missing path is reported" contains "$(cat "$work/err")" "tagscribe: no such file or folder: no folder"
check "missing paths start nothing" [ ! -e "$work/build/wineprefix" ]

# The first batch makes the prefix, without a display, and says so. The hint
# runs with its samples folders taken from the work copy.
hint="${hint//$(printf '%q' "$top/samples")/$work/samples}"
hint="${hint//$(printf '%q' "$top/tagscribe")/$top/tagscribe}"
(cd "$work" && env -u DISPLAY PATH="$work/bin:$PATH" timeout 120 bash -c "$hint" 2>"$work/err"); rc=$?
check "the hint's batch exits with 0" [ $rc -eq 0 ]
check "a first run says it prepares the prefix" contains "$(cat "$work/err")" "preparing the Wine prefix"
for track in english/morning-light english/harbour-song japanese/furui-uta; do
  check "the hint exports $track" [ -s "$work/samples/$track.txt" ]
done
check "no lyrics, no file" [ ! -e "$work/samples/english/instrumental.txt" ]

# A prefix made before the settings existed gets them once, then never again.
stamp="$work/build/wineprefix/tagscribe-settings.reg"
check "the prefix holds the settings it was given" grep -qF '"Graphics"="x11,null"' "$stamp"
rm -f "$stamp"
launch samples/english
check "an older prefix gets the settings" [ -s "$stamp" ]
touch -d '2000-01-01' "$stamp"
launch samples/english
check "settings in place are not applied again" [ "$(stat -c %Y "$stamp")" = "$(date -d 2000-01-01 +%s)" ]

# Each option of a batch against its twin: the same value saved as the dialog
# saves it. Both give the same files, byte for byte, and neither batch makes
# or changes the settings file.
settings="$work/build/tagscribe.dat"
library() {  # a fresh two-level library in $work/lib, and an empty $work/texts
  rm -rf "$work/lib" "$work/texts" && mkdir -p "$work/lib/Album" "$work/texts"
  cp "$top/samples/english/"*.mp3 "$work/lib/" && cp "$top/samples/japanese/"*.mp3 "$work/lib/Album/"
  printf 'cover' > "$work/lib/cover.jpg"
}
outputs() {  # every file but the tracks, with its bytes' digest
  (cd "$work" && find lib texts -type f ! -name '*.mp3' ! -name cover.jpg -exec md5sum {} + | sort)
}
twin() {  # twin NAME "OPTIONS" KEY=VALUE...
  local name="$1" options="$2"; shift 2
  library; rm -f "$settings"
  launch $options lib; local rc_given=$? given; given="$(outputs)"
  check "$name: no settings file made" [ ! -e "$settings" ]
  library; python3 "$top/tests/support/settings_file.py" "$settings" "$@"
  local before; before="$(md5sum < "$settings")"
  launch lib; local rc_saved=$? saved; saved="$(outputs)"
  check "$name: the saved file is unchanged" [ "$(md5sum < "$settings")" = "$before" ]
  check "$name: same status as saved ($rc_given)" [ $rc_given -eq $rc_saved ]
  check "$name: writes something" [ -n "$given" ]
  [ "$given" = "$saved" ] || { check "$name: the outputs of the saved options" false;
    diff <(echo "$given") <(echo "$saved") >&2; }
}
texts_windows="Z:${work//\//\\}\\texts"
twin "-r" "-r" SubDirectory=1
twin "--no-recursive" "--no-recursive" SubDirectory=0
twin "-o" "-r -o texts" SubDirectory=1 SameDirectory=0 "Directory=$texts_windows"
twin "--name" "--name=lyrics" SameFileName=0 FileName=lyrics
twin "-e" "-elrc" Extension=lrc
twin "--empty" "--empty" EmptyFile=1
rm -f "$settings"
# A dry run reads everything and changes nothing: the tree keeps every byte
# and time, and its lines name exactly the outputs that the real run writes.
library
printf 'old text' > "$work/lib/harbour-song.txt" && touch -d 2001-01-01 "$work/lib/harbour-song.txt"
tree() { (cd "$work" && find lib texts -printf '%p %s %Y %T@ %C@\n' | sort && find lib -type f -exec md5sum {} + | sort); }
before="$(tree)"
launch -n -r lib; rc=$?
check "a dry run exits with 0" [ $rc -eq 0 ]
check "a dry run changes nothing" [ "$(tree)" = "$before" ]
check "a dry run is marked" contains "$(tail -n1 "$work/err")" "(a dry run: nothing was written)"
planned="$(sed -n 's/^tagscribe: \(.*\): would be written.*/\1/p' "$work/err" | sort)"
counts="$(tail -n1 "$work/err")"
snapshot() { (cd "$work" && find lib -type f ! -name '*.mp3' -printf '%p %T@\n' | sort); }
old="$(snapshot)"
launch -r lib
written="$(comm -13 <(echo "$old") <(snapshot) | cut -d' ' -f1)"
check "a dry run gives the real run's counts" [ "$(tail -n1 "$work/err")" = "${counts% (a dry run: nothing was written)}" ]
check "a dry run names what the real run writes" [ -n "$planned" ] && [ "$planned" = "$written" ]

# A wrong value is named, and nothing is read or written.
library
launch -r --output-dir "$work/none" lib; rc=$?
check "a missing output folder: status 2" [ $rc -eq 2 ]
check "a missing output folder is named" contains "$(cat "$work/err")" "tagscribe: --output-dir: no such folder:"
launch lib -e; rc=$?
check "a missing value: status 2" [ $rc -eq 2 ]
check "a missing value is named" contains "$(cat "$work/err")" "tagscribe: -e: a value is missing"
check "wrong values write nothing" [ -z "$(outputs)" ]

# A display for the dialog below, started before the next batch so that the
# dialog opens while that batch's display-less desktop is still up.
# Xvfb writes its display's number once it takes clients; an Xvfb that
# fails ends the read with nothing.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
read -r number < "$work/display"
display=":$number"

# The batch's read-ahead never waits on a FIFO named like a track, and ends.
mkdir "$work/pipes" && mkfifo "$work/pipes/stuck.mp3" && cp "$top/samples/english/"*.mp3 "$work/pipes/"
timeout 10 "$work/build/tagscribe-prefetch" "$work/pipes" "$work/pipes/stuck.mp3"; rc=$?
check "the read-ahead passes over a FIFO" [ $rc -eq 0 ]

# A missing path among existing ones: reported, the rest exported, status 2.
rm -f "$work/samples/japanese/"*.txt
launch missing.mp3 samples/japanese; rc=$?
check "a missing path among others: status 2" [ $rc -eq 2 ]
check "the missing one is reported" contains "$(cat "$work/err")" "no such file or folder: missing.mp3"
check "the others are exported" [ -s "$work/samples/japanese/sakura-michi.txt" ]
check "an existing prefix is not announced" lacks "$(cat "$work/err")" "preparing"
check "a program that started leaves no start mark" \
  bash -c "! ls '$work/build/wineprefix/'tagscribe-starting.* 2>/dev/null"

# Wine failing to start the program, without a word of its own: started once
# more, then the launcher's line and Wine's status.
mkdir "$work/broken" && ln -s "$work/build/wineprefix" "$work/broken/wineprefix"
cp "$work/build/tagscribe.exe.so" "$work/broken/"
printf '#!/bin/sh\nexit 1\n' > "$work/broken/tagscribe.exe" && chmod +x "$work/broken/tagscribe.exe"
TAGSCRIBE_BUILD="$work/broken" launch samples/japanese; rc=$?
check "Wine's failure to start keeps its status" [ $rc -eq 1 ]
check "Wine's failure to start is retried once and reported" [ "$(cat "$work/err")" = \
  "tagscribe: Wine could not start the program (exit status 1); starting it again
tagscribe: Wine could not start the program (exit status 1)" ]

# A folder whose sub-folders a batch did not search says so, and how.
launch samples
check "the sub-folders passed over are told" contains "$(cat "$work/err")" \
  "tagscribe: 2 sub-folders of samples not searched (the sub-folder option is off; -r searches them)"

# The dialog, opened right after a display-less batch, shows on the display.
# A batch without a display while it is open has the dialog export its paths
# and reports that export; the dialog stays.
(cd "$work" && DISPLAY="$display" exec "$top/tagscribe" >/dev/null 2>&1) &
dialog_pid=$!
shown=0
for ((i = 0; i < 300; i++)); do
  if DISPLAY="$display" xwininfo -root -tree 2>/dev/null | grep -q '"Tagscribe"'; then shown=1; break; fi
  sleep 0.1
done
check "the dialog opens on the display" [ $shown -eq 1 ]
rm -f "$work/samples/english/"*.txt
launch samples/english; rc=$?
check "a batch beside an open dialog exits with 0" [ $rc -eq 0 ]
sleep 1
check "the open dialog's process still runs" kill -0 "$dialog_pid"
check "the open dialog is still shown" \
  bash -c "DISPLAY='$display' xwininfo -root -tree | grep -q '\"Tagscribe\"'"
check "a batch beside an open dialog is exported by it" \
  [ -s "$work/samples/english/morning-light.txt" ]
check "the dialog's export is reported" \
  contains "$(cat "$work/err")" "tagscribe: 2 exported, 1 without lyrics, 0 failed"

# A batch with options of its own runs with them beside the open dialog.
rm -f "$work/samples/english/"*.txt
launch -e lrc samples/english; rc=$?
check "a batch with options beside the dialog exits with 0" [ $rc -eq 0 ]
check "a batch with options beside the dialog uses them" \
  [ -s "$work/samples/english/morning-light.lrc" ] && [ ! -e "$work/samples/english/morning-light.txt" ]

# A batch right after the dialog closed, while its desktop is still up.
kill "$dialog_pid"; wait "$dialog_pid" 2>/dev/null; dialog_pid=
launch samples/english; rc=$?
check "a batch right after the dialog closed exits with 0" [ $rc -eq 0 ]
check "a batch right after the dialog closed exports" [ -s "$work/samples/english/morning-light.txt" ]

nothing_forbidden() { [ ! -e "$work/started" ] || ! grep -E 'Xvfb|xvfb-run|wineserver .*-k' "$work/started" >&2; }
check "no Xvfb was started and no wineserver ended" nothing_forbidden

echo "launcher: $passed passed, $failed failed"
[ $failed -eq 0 ]
