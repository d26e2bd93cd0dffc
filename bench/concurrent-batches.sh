#!/usr/bin/env bash
# Concurrent display-less batches on one Wine prefix, each over a folder of its
# own, started a fixed gap apart; repeated in rounds. Every run's exit status,
# standard output and error and exported count are kept; a run that ends
# without its summary line (or a line saying why) or that exports less than
# its folder holds is a failure, and its files are kept for reading.
# Usage: bench/concurrent-batches.sh [options]
#   --rounds N     rounds (default 20)
#   --batches N    batches started in each round (default 10)
#   --tracks N     tracks in each batch's folder (default 30)
#   --gap S        seconds between two starts (default 0.2)
#   --pauses "S.." seconds to wait before each round, used in turn (default
#                  "0"); pauses near the server's own linger (about 3 s after
#                  the last program) start batches while Wine shuts down
#   --launcher     run ./tagscribe instead of the program itself
#   --strace N     run every Nth batch under strace -f (files kept on failure)
#   --build DIR    the build folder (default build)
#   --keep DIR     where failures are kept (default a new folder in /tmp)
# Prints one line per round and a summary; exits 1 when any run failed.
set -uo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
rounds=20 batches=10 tracks=30 gap=0.2 pauses=0 launcher=0 strace_every=0
build="$top/build" keep=""
while [ $# -gt 0 ]; do
  case "$1" in
    --rounds) rounds="$2"; shift 2 ;;
    --batches) batches="$2"; shift 2 ;;
    --tracks) tracks="$2"; shift 2 ;;
    --gap) gap="$2"; shift 2 ;;
    --pauses) pauses="$2"; shift 2 ;;
    --launcher) launcher=1; shift ;;
    --strace) strace_every="$2"; shift 2 ;;
    --build) build="$2"; shift 2 ;;
    --keep) keep="$2"; shift 2 ;;
    -h|--help) sed -n '2,21p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "concurrent-batches: unknown argument: $1 (try --help)" >&2; exit 2 ;;
  esac
done
build="$(cd "$build" && pwd)" || exit 2
[ -f "$build/tagscribe.exe.so" ] || { echo "concurrent-batches: no program in $build" >&2; exit 2; }
unset DISPLAY
. "$top/scripts/wine-env.sh"
tagscribe_wine_env "$build"
export TAGSCRIBE_BUILD="$build"

work="$(mktemp -d /tmp/concurrent-batches.XXXXXX)"
keep="${keep:-$work/failures}"
mkdir -p "$keep"
trap 'rm -rf "$work/folders" "$work/runs"' EXIT
for ((b = 0; b < batches; b++)); do
  mkdir -p "$work/folders/$b"
  for ((t = 0; t < tracks; t++)); do
    cp "$top/samples/english/harbour-song.mp3" "$work/folders/$b/track-$t.mp3"
  done
done

# run_batch B RUN: one batch over folder B, its results in RUN/.
run_batch() {
  local folder="$work/folders/$1" run="$2" n="$3" command
  mkdir -p "$run"
  if [ $launcher = 1 ]; then
    command=("$top/tagscribe" "$folder")
  else
    command=("$build/tagscribe.exe" "$(tagscribe_windows_path "$folder")")
  fi
  if [ "$strace_every" -gt 0 ] && [ $((n % strace_every)) = 0 ]; then
    command=(strace -f -tt -qq -o "$run/strace" "${command[@]}")
  fi
  "${command[@]}" </dev/null >"$run/stdout" 2>"$run/stderr"
  echo $? > "$run/status"
}

# Whether this prefix's server runs: its socket is in the server folder, which
# Debian's Wine names in the prefix's file "wineserver" (upstream: /tmp/.wine-UID).
server_state() {
  local dir socket id
  id="$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))"
  dir="/tmp/$(cat "$WINEPREFIX/wineserver" 2>/dev/null)"
  [ -f "$WINEPREFIX/wineserver" ] || dir="/tmp/.wine-$(id -u)"
  [ -S "$dir/$id/socket" ] && echo up || echo down
}

read -r -a pause_list <<< "$pauses"
runs=0 failed=0 silent=0
ended=$(date +%s%N)
for ((r = 0; r < rounds; r++)); do
  # The pause counts from the end of the round before, not of its checks.
  pause="${pause_list[$((r % ${#pause_list[@]}))]}"
  sleep "$(awk -v p="$pause" -v e="$ended" -v n="$(date +%s%N)" \
    'BEGIN { s = p - (n - e) / 1e9; printf "%.3f", (s > 0 ? s : 0) }')"
  server=$(server_state)
  rm -rf "$work/runs"
  find "$work/folders" -name '*.txt' -delete
  for ((b = 0; b < batches; b++)); do
    run_batch "$b" "$work/runs/$b" $((r * batches + b)) &
    [ $b = $((batches - 1)) ] || sleep "$gap"
  done
  wait
  ended=$(date +%s%N)
  bad=""
  for ((b = 0; b < batches; b++)); do
    run="$work/runs/$b"
    runs=$((runs + 1))
    exported=$(find "$work/folders/$b" -name '*.txt' | wc -l)
    echo "$exported" > "$run/exported"
    status=$(cat "$run/status")
    if [ "$status" != 0 ] || [ "$exported" != "$tracks" ] ||
       ! grep -q "^tagscribe: $tracks exported, 0 without lyrics, 0 failed" "$run/stderr"; then
      failed=$((failed + 1))
      if [ ! -s "$run/stdout" ] && [ ! -s "$run/stderr" ]; then
        silent=$((silent + 1))
      fi
      bad+=" $b:status=$status,exported=$exported"
      cp -r "$run" "$keep/round$r-batch$b"
    fi
  done
  echo "round $r (server $server before): ${bad:- all $batches right}"
done
echo "concurrent-batches: $runs runs, $failed failed, $silent silent; failures kept in $keep"
[ $failed = 0 ]
