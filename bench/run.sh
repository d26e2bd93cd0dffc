#!/usr/bin/env bash
# Speed and scale benchmark: the program's batch mode against the floor (the
# same job in a few lines of C over libid3tag) on one generated corpus.
#
# Usage: bench/run.sh [--dir FOLDER] [--count N] [--albums N] [--copies N]
#                     [--runs N] [--build BUILD_DIR] [--floor-only]
#   --dir     where the corpus lives (default /dev/shm/tagscribe-bench; give a
#             folder on a normal disk to measure there)
#   --count   number of MP3 files (default 10000), --albums album folders (100)
#   --copies  the album runs work on N hard-linked copies of the album folders
#             (default 1; 10 gives 100,000 files in 1,000 folders, no extra disk)
#   --runs    timed runs of each configuration (default 3), alternating
#   --build   the Winelib build folder holding tagscribe.exe (default build)
#   --floor-only  measure the floor alone
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir=/dev/shm/tagscribe-bench
count=10000
albums=100
runs=3
copies=1
build="$top/build"
floor_only=0

while [ $# -gt 0 ]; do
  case "$1" in
    --dir) dir="$2"; shift 2 ;;
    --count) count="$2"; shift 2 ;;
    --albums) albums="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    --copies) copies="$2"; shift 2 ;;
    --build) build="$2"; shift 2 ;;
    --floor-only) floor_only=1; shift ;;
    -h|--help) sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run.sh: unknown argument: $1 (try --help)" >&2; exit 2 ;;
  esac
done
case "$count$albums$runs$copies" in
  *[!0-9]*) echo "run.sh: --count, --albums, --copies and --runs take whole numbers" >&2; exit 2 ;;
esac
if [ "$count" -lt 1 ] || [ "$albums" -lt 1 ] || [ "$runs" -lt 1 ] || [ "$copies" -lt 1 ]; then
  echo "run.sh: --count, --albums, --copies and --runs must be at least 1" >&2; exit 2
fi
[ "$albums" -le "$count" ] || albums="$count"
mkdir -p "$dir"
dir="$(cd "$dir" && pwd)"
build="$(mkdir -p "$build" && cd "$build" && pwd)"

die() { echo "run.sh: $*" >&2; exit 1; }

program="$build/tagscribe.exe"
if [ "$floor_only" = 0 ] && [ ! -x "$program" ]; then
  die "$program not found: build the program first (scripts/build.sh $build), or pass --floor-only"
fi
[ -x /usr/bin/time ] || die "GNU time is missing (apt-get install time, or scripts/bootstrap.sh)"

# --- tools -------------------------------------------------------------------
# The floor is native; the corpus maker is a target of the Winelib build.
tools="$top/build-bench"
make -s -C "$top/bench" OUT="$tools" >/dev/null
bash "$top/scripts/build.sh" "$build" --target make_corpus >/dev/null

# --- corpus ------------------------------------------------------------------
# A stamp names the generator and its parameters, so an unchanged corpus is
# reused and nothing but a corpus of ours is ever deleted.
stamp="$dir/.tagscribe-bench"
want="$(md5sum < "$build/make_corpus.exe.so" | cut -d' ' -f1) count=$count albums=$albums"
if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$want" ]; then
  if [ -n "$(ls -A "$dir")" ] && [ ! -f "$stamp" ]; then
    die "$dir is not empty and holds no benchmark corpus; choose another --dir"
  fi
  rm -rf "$dir/albums" "$dir/flat" "$dir/manifest.tsv" "$dir/copies"
  echo "generating $count files in $dir ..."
  echo "incomplete" > "$stamp"   # an interrupted corpus is still ours to delete
  "$top/scripts/wine-run.sh" "$build" "$build/make_corpus.exe" --count "$count" --albums "$albums" "$dir"
  echo "$want" > "$stamp"
fi
album_dirs=("$dir"/albums/*/)
album_dirs=("${album_dirs[@]%/}")
corpus_bytes=$(du -sb "$dir/albums" | cut -f1)

# Copies: copies/1 ... copies/N, each the album folders again as hard links.
if [ "$copies" -gt 1 ]; then
  if [ ! -d "$dir/copies/$copies" ] || [ -d "$dir/copies/$((copies + 1))" ]; then
    rm -rf "$dir/copies"
    mkdir -p "$dir/copies"
    for ((i = 1; i <= copies; i++)); do cp -al "$dir/albums" "$dir/copies/$i"; done
  fi
  copy_dirs=("$dir"/copies/*/*/)
  copy_dirs=("${copy_dirs[@]%/}")
else
  rm -rf "$dir/copies"
  copy_dirs=("${album_dirs[@]}")
fi

to_windows() { local p="${1//\//\\}"; printf 'Z:%s' "$p"; }
win_albums=(); for d in "${album_dirs[@]}"; do win_albums+=("$(to_windows "$d")"); done
win_flat=("$(to_windows "$dir/flat")")

# sync: the deletions reach the disk before the next run, not during it.
clean_outputs() {
  find "$dir/albums" "$dir/flat" $([ ! -d "$dir/copies" ] || echo "$dir/copies") \
    -name '*.txt' -type f -delete
  sync
}

# --- Wine environment ----------------------------------------------------------
# One display and one wineserver for the whole benchmark: every run then pays
# the same start-up, and GNU time sees the program rather than Xvfb.
results="$(mktemp)"
xvfb_pid=
own_server=0
program_ran=0
cleanup() {
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  # Our persistent wineserver ends 60 s after its last client; one that never
  # had a client would stay, so it goes now.
  if [ "$own_server" = 1 ] && [ "$program_ran" = 0 ]; then wineserver -k 2>/dev/null || true; fi
  rm -f "$results" "$results".*
}
trap cleanup EXIT
if [ "$floor_only" = 0 ]; then
  export LANG=C.UTF-8   # code page 1252
  if [ -z "${DISPLAY:-}" ]; then
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$results.display" >/dev/null 2>&1 &
    xvfb_pid=$!
    for ((i = 0; i < 200; i++)); do
      [ ! -s "$results.display" ] || break
      sleep 0.1
    done
    [ -s "$results.display" ] || die "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$results.display")"
  fi
  # The prefix is the one scripts/wine-run.sh runs the program in: a server
  # kept for another prefix would leave every run to start its own.
  . "$top/scripts/wine-env.sh"
  tagscribe_wine_env "$build" unmanaged
  if wineserver -p60 2>/dev/null; then own_server=1; fi
  [ ! -f "$build/tagscribe.dat" ] ||
    echo "note: $build/tagscribe.dat exists; the benchmark assumes the default options" >&2
fi

# --- measuring -----------------------------------------------------------------
# measure NAME COMMAND...: runs the command, appends "NAME wall_us peak_kB
# cpu_us" to $results and fails loudly on a nonzero exit.
measure() {
  local name="$1"; shift
  local start end rc=0
  start=$(date +%s%N)
  /usr/bin/time -o "$results.mem" -f '%M %U %S' "$@" >/dev/null 2>"$results.err" || rc=$?
  end=$(date +%s%N)
  if [ "$rc" != 0 ]; then
    cat "$results.err" >&2
    die "$name failed with status $rc"
  fi
  awk -v n="$name" -v us=$(( (end - start) / 1000 )) \
    'END { printf "%s %d %d %d\n", n, us, $1, ($2 + $3) * 1e6 }' "$results.mem" >> "$results"
}
run_program() { program_ran=1; measure "$1" "$top/scripts/wine-run.sh" "$build" "$program" "${@:2}"; }
run_floor() { measure "$1" "$tools/floor" "${@:2}"; }

# --- correctness: outputs of program and floor match ---------------------------
checksums() { (cd "$dir/albums" && find . -name '*.txt' -type f -print0 | sort -z | xargs -0 -r md5sum); }
# Without the program, the floor's outputs are checked against the manifest.
verify() {
  clean_outputs
  run_floor warmup "${album_dirs[@]}"
  checksums > "$results.floor"
  if [ "$floor_only" = 0 ]; then
    clean_outputs
    run_program warmup "${win_albums[@]}"
    checksums > "$results.program"
  else
    cp "$results.floor" "$results.program"
  fi
  # The manifest says which files have lyrics and whether Latin-1 holds them;
  # only those must match byte for byte. For the rest the replacements differ:
  # libid3tag's Latin-1 puts a middle dot (0xB7), code page 1252 a '?' or a
  # best-fit character (a space for U+3000).
  awk -F'\t' -v out="$results.verdict" -v floor_only="$floor_only" '
    FILENAME == ARGV[1] { split($0, f, "  "); program[substr(f[2], 3)] = f[1]; next }
    FILENAME == ARGV[2] { split($0, f, "  "); floor_[substr(f[2], 3)] = f[1]; next }
    FNR == 1 { next }
    {
      txt = $1; sub(/\.[^.\/]*$/, ".txt", txt)
      if ($4 == "none") {
        if (txt in program || txt in floor_) { bad++; print "output for a file without lyrics: " txt }
        next
      }
      checked++
      if (!(txt in program)) { bad++; print "program wrote no " txt; next }
      if (!(txt in floor_)) { bad++; print "floor wrote no " txt; next }
      if ($4 == "latin1") { if (program[txt] != floor_[txt]) { bad++; print "differs: " txt } else same++ }
      else if (program[txt] == floor_[txt]) other_same++; else other_diff++
    }
    END {
      if (floor_only)
        printf "floor: %d outputs where the manifest has lyrics, %d problems\n", checked, bad > out
      else
        printf "%d outputs checked: %d Latin-1 lyrics identical, %d problems; other lyrics: %d identical, %d differ in replacement characters\n", checked, same, bad, other_same, other_diff > out
      exit (bad > 0)
    }' "$results.program" "$results.floor" "$dir/manifest.tsv" | head -n 20 || {
        cat "$results.verdict"; die "program and floor outputs do not match"; }
  cat "$results.verdict"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
stat_of() { awk -v n="$1" -v c="$2" '$1 == n { print $c }' "$results" | median; }

echo "corpus: $count files in $albums album folders + one flat folder, $((corpus_bytes / 1048576)) MiB, in $dir"
[ "$copies" = 1 ] || echo "album runs: $copies hard-linked copies, $((count * copies)) files in ${#copy_dirs[@]} folders"
verify
# A thousand folders under Z: overflow the 32,767-character command line; a
# drive letter for the corpus keeps them short. The prefixes (wine-run.sh
# has its own) exist by now.
win_copies=("${win_albums[@]}")
if [ "$floor_only" = 0 ] && [ "$copies" -gt 1 ]; then
  for devices in "$build"/wineprefix*/dosdevices; do
    drive="$devices/t:"
    [ ! -e "$drive" ] || [ "$(readlink "$drive")" = "$dir" ] ||
      die "$drive exists and leads elsewhere; remove it or use another prefix"
    ln -sfn "$dir" "$drive"
  done
  win_copies=(); for d in "${copy_dirs[@]}"; do p="${d#"$dir"}"; win_copies+=("T:${p//\//\\}"); done
fi
if [ "$floor_only" = 0 ]; then
  one_file="$dir/albums/$(awk -F'\t' '$4 == "latin1" { print $1; exit }' "$dir/manifest.tsv")"
  for ((i = 1; i <= runs; i++)); do
    clean_outputs; run_program startup "$(to_windows "$one_file")"
    # Each program run is followed by a second one over the outputs it left,
    # which finds them all unchanged.
    clean_outputs; run_program program_albums "${win_copies[@]}"
    run_program again_albums "${win_copies[@]}"
    clean_outputs; run_floor floor_albums "${copy_dirs[@]}"
    clean_outputs; run_program program_flat "${win_flat[@]}"
    run_program again_flat "${win_flat[@]}"
    clean_outputs; run_floor floor_flat "$dir/flat"
  done
else
  for ((i = 1; i <= runs; i++)); do
    clean_outputs; run_floor floor_albums "${copy_dirs[@]}"
    clean_outputs; run_floor floor_flat "$dir/flat"
  done
fi
clean_outputs

# --- table ---------------------------------------------------------------------
# $results rows: name, wall microseconds, peak kB, CPU microseconds (user+sys).
startup_us=0; startup_cpu=0
if [ "$floor_only" = 0 ]; then startup_us=$(stat_of startup 2); startup_cpu=$(stat_of startup 4); fi
row() {  # name label net(0/1) files
  local us mem cpu net
  us=$(stat_of "$1" 2); mem=$(stat_of "$1" 3); cpu=$(stat_of "$1" 4)
  net=$us; [ "$3" = 0 ] || { net=$((us - startup_us)); cpu=$((cpu - startup_cpu)); }
  [ "$net" -gt 0 ] || net=1
  awk -v l="$2" -v us="$us" -v net="$net" -v n="$4" -v mem="$mem" -v cpu="$cpu" \
    'BEGIN { printf "%-22s %9.3f %9.3f %11.0f %9.3f %10.1f\n", l, us / 1e6, net / 1e6, n / (net / 1e6), cpu / 1e6, mem / 1024 }'
}
echo
if [ "$floor_only" = 0 ]; then
  echo "median of $runs runs; net: program times less its one-file start-up; ratios: median of the rounds (range)"
else
  echo "median of $runs runs"
fi
printf '%-22s %9s %9s %11s %9s %10s\n' "" "wall s" "net s" "files/s" "cpu s" "peak MiB"
if [ "$floor_only" = 0 ]; then
  awk -v us="$startup_us" -v cpu="$startup_cpu" -v mem="$(stat_of startup 3)" \
    'BEGIN { printf "%-22s %9.3f %9s %11s %9.3f %10.1f\n", "program, one file", us / 1e6, "", "", cpu / 1e6, mem / 1024 }'
  row program_albums "program, albums" 1 $((count * copies))
  row again_albums "  again, unchanged" 1 $((count * copies))
fi
row floor_albums "floor, albums" 0 $((count * copies))
if [ "$floor_only" = 0 ]; then
  row program_flat "program, flat" 1 "$count"
  row again_flat "  again, unchanged" 1 "$count"
fi
row floor_flat "floor, flat" 0 "$count"
echo
# The machine's speed drifts from one second to the next (here by up to half
# on a shared host), so each ratio is taken within one round, between runs
# seconds apart, and the median of the rounds is shown with their range.
# Program times are net of that round's start-up. A third argument 4 compares
# CPU times instead of wall times.
ratio() {
  awk -v a="$1" -v b="$2" -v c="${3:-2}" '
    $1 == "startup" { s[++ns] = $c }
    $1 == a { x[++nx] = $c }
    $1 == b { y[++ny] = $c }
    END {
      for (i = 1; i <= nx && i <= ny; i++) {
        top = x[i] - (a ~ /^(program|again)_/ ? s[i] : 0)
        bottom = y[i] - (b ~ /^(program|again)_/ ? s[i] : 0)
        if (top < 1) top = 1
        if (bottom < 1) bottom = 1
        print top / bottom
      }
    }' "$results" | sort -g |
    awk '{ v[NR] = $1 } END { if (NR == 1) printf "%.2f", v[1]; else printf "%.2f (%.2f-%.2f)", v[int((NR + 1) / 2)], v[1], v[NR] }'
}
if [ "$floor_only" = 0 ]; then
  echo "program/floor: albums $(ratio program_albums floor_albums), flat $(ratio program_flat floor_flat)"
  echo "  in CPU time: albums $(ratio program_albums floor_albums 4), flat $(ratio program_flat floor_flat 4)"
  echo "flat/albums:   program $(ratio program_flat program_albums), floor $(ratio floor_flat floor_albums)"
  echo "again/first:   albums $(ratio again_albums program_albums), flat $(ratio again_flat program_flat)"
else
  echo "flat/albums:   floor $(ratio floor_flat floor_albums)"
fi
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
