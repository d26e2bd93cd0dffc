#!/usr/bin/env bash
# Runs the README's launcher commands as a user would and checks what they
# promise. Works on a copy of samples/, so the repository stays clean.
# Exits non-zero on the first broken promise.
set -uo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "check-readme-commands: $*" >&2; exit 1; }

cp -r "$top/samples" "$work/samples"
find "$work/samples" -name '*.txt' -delete

# ./tagscribe samples/english samples/japanese: a .txt beside each MP3 with
# lyrics, none for the instrumental.
(cd "$work" && env -u DISPLAY "$top/tagscribe" samples/english samples/japanese) \
  || fail "the batch run exited with $?"
settings="${TAGSCRIBE_BUILD:-$top/build}/tagscribe.dat"
hint=""
[ -f "$settings" ] && hint=" (options saved in $settings are in effect)"
for track in english/morning-light english/harbour-song \
             japanese/furui-uta japanese/sakura-michi japanese/yoru-no-densha; do
  [ -s "$work/samples/$track.txt" ] || fail "no lyrics in samples/$track.txt$hint"
done
[ ! -e "$work/samples/english/instrumental.txt" ] \
  || fail "samples/english/instrumental.txt written for a track without lyrics$hint"

# ./tagscribe without a display: a message, and a failure code.
message="$(cd "$work" && env -u DISPLAY "$top/tagscribe" 2>&1 >/dev/null)"
code=$?
[ "$code" -ne 0 ] || fail "./tagscribe without a display exited with 0"
[ -n "$message" ] || fail "./tagscribe without a display printed nothing"

# ./tagscribe --help: the usage text and status 0, with nothing run.
usage="$("$top/tagscribe" --help)" || fail "./tagscribe --help exited with $?"
[[ "$usage" == Usage:* ]] || fail "./tagscribe --help printed no usage text"

echo "check-readme-commands: ok"
