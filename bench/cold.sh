#!/usr/bin/env bash
# Cold benchmark: a library's first export, its files not in memory. The
# page cache is dropped before every run, which needs root; the script says
# so and stops when it cannot. Each round runs, in turn: the disk's pace
# (bench/pace.c: every track's first 64 KiB and last 128 bytes with 32
# readers at once, nothing parsed), the floor (bench/floor.c), the floor
# with one-thread read-ahead hints (floor --hints), the TagLib loop where
# TagLib is installed (bench/taglib_loop.cpp), the program on one file (its
# start-up: Wine's own files come from the disk too) and the program on all
# of them, both through the launcher as a user runs a batch (./tagscribe,
# no display), each with no Wine server running. Every run's
# outputs are checked against the floor's first ones. Prints each round's
# times and ratios, then the medians.
#
# Usage: bench/cold.sh [--dir FOLDER] [--count N] [--albums N] [--rounds N]
#                      [--build BUILD_DIR]
#   --dir     the corpus, on a real disk (default /var/tmp/tagscribe-bench;
#             a RAM disk cannot be made cold)
#   --count, --albums  as for bench/run.sh (default 10000 in 100)
#   --rounds  alternating rounds (default 3)
#   --build   the Winelib build folder holding tagscribe.exe (default build)
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir=/var/tmp/tagscribe-bench
count=10000
albums=100
rounds=3
build="$top/build"
while [ $# -gt 0 ]; do
  case "$1" in
    --dir) dir="$2"; shift 2 ;;
    --count) count="$2"; shift 2 ;;
    --albums) albums="$2"; shift 2 ;;
    --rounds) rounds="$2"; shift 2 ;;
    --build) build="$2"; shift 2 ;;
    -h|--help) sed -n '2,22p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "cold.sh: unknown argument: $1 (try --help)" >&2; exit 2 ;;
  esac
done
die() { echo "cold.sh: $*" >&2; exit 1; }
case "$count$albums$rounds" in *[!0-9]*) die "--count, --albums and --rounds take whole numbers" ;; esac

drop_caches() { sync; echo 3 > /proc/sys/vm/drop_caches; }
if [ "$(id -u)" != 0 ] || ! drop_caches 2>/dev/null; then
  die "dropping the page cache needs root (echo 3 > /proc/sys/vm/drop_caches); run as root, or use bench/run.sh for warm runs"
fi
[ "$(stat -f -c %T "$(dirname "$dir")")" != tmpfs ] || die "$dir is on a RAM disk, which cannot be made cold"
build="$(cd "$build" && pwd)"
[ -x "$build/tagscribe.exe" ] || die "$build/tagscribe.exe not found: build the program first (scripts/build.sh $build)"

# The corpus and the tools, as bench/run.sh makes them; one floor-only run
# of it generates the corpus when it is missing.
tools="$top/build-bench"
make -s -C "$top/bench" OUT="$tools" >/dev/null
if [ ! -f "$dir/.tagscribe-bench" ] || [ ! -f "$dir/manifest.tsv" ]; then
  bash "$top/bench/run.sh" --dir "$dir" --count "$count" --albums "$albums" --runs 1 --floor-only >/dev/null
fi
album_dirs=("$dir"/albums/*/)
album_dirs=("${album_dirs[@]%/}")

results="$(mktemp)"
trap 'rm -f "$results" "$results".*' EXIT
# The program runs as a user's batch does: through the launcher, without a
# display. Its Wine server is ended before each run, so that every run starts
# Wine from nothing, as the first export after a restart does.
export LANG=C.UTF-8 TAGSCRIBE_BUILD="$build"   # code page 1252
unset DISPLAY
. "$top/scripts/wine-env.sh"
tagscribe_wine_env "$build"
end_wine() { wineserver -k 2>/dev/null || true; timeout 10 wineserver -w 2>/dev/null || true; }

clean_outputs() { find "$dir/albums" -name '*.txt' -type f -delete; }
# The Latin-1 lyrics must match the floor's byte for byte, and every track
# with lyrics must have its output (bench/run.sh says why the rest differ).
checksums() { (cd "$dir/albums" && find . -name '*.txt' -type f -print0 | sort -z | xargs -0 -r md5sum); }
check() {
  checksums > "$results.now"
  awk -F'\t' -v name="$1" '
    FILENAME == ARGV[1] { split($0, f, "  "); want[substr(f[2], 3)] = f[1]; next }
    FILENAME == ARGV[2] { split($0, f, "  "); got[substr(f[2], 3)] = f[1]; next }
    FNR == 1 { next }
    { txt = $1; sub(/\.[^.\/]*$/, ".txt", txt)
      if ($4 == "none") { if (txt in got) bad++; next }
      if (!(txt in got)) bad++
      else if ($4 == "latin1" && got[txt] != want[txt]) bad++ }
    END { if (bad) { print name ": " bad " outputs wrong or missing" > "/dev/stderr"; exit 1 } }' \
    "$results.floor" "$results.now" "$dir/manifest.tsv" || die "$1 wrote wrong outputs"
}

# A run: outputs deleted, the disk synced and the cache dropped, then the
# whole process timed, start-up included.
run() {
  local name="$1" start end; shift
  clean_outputs; end_wine; drop_caches
  start=$(date +%s%N)
  "$@" >/dev/null 2>"$results.err" || { cat "$results.err" >&2; die "$name failed"; }
  end=$(date +%s%N)
  echo "$round $name $(( (end - start) / 1000 ))" >> "$results"
}

# The floor's outputs, warm, are what every cold run is checked against.
clean_outputs
"$tools/floor" "${album_dirs[@]}"
checksums > "$results.floor"
[ -x "$tools/taglib_loop" ] || echo "note: TagLib is not installed (libtag1-dev): no TagLib loop" >&2

echo "cold: $count files in $albums album folders, $(du -sm "$dir/albums" | cut -f1) MiB, in $dir ($(df --output=source "$dir" | tail -1), $(stat -f -c %T "$dir"))"
echo "load average at the start: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
printf '%-6s %8s %8s %8s %8s %8s %8s   %s\n' round pace floor hints taglib start-up program "program/pace /floor /hints /TagLib"
tracks=("${album_dirs[0]}"/*.mp3)
# Once untimed: the launcher builds the program first if its sources changed.
"$top/tagscribe" "${tracks[0]}" >/dev/null 2>&1 || die "the launcher failed on ${tracks[0]}"
for ((round = 1; round <= rounds; round++)); do
  run pace "$tools/pace" "${album_dirs[@]}"
  run floor "$tools/floor" "${album_dirs[@]}"; check floor
  run hints "$tools/floor" --hints "${album_dirs[@]}"; check "floor --hints"
  if [ -x "$tools/taglib_loop" ]; then run taglib "$tools/taglib_loop" "${album_dirs[@]}"; check TagLib; fi
  run startup "$top/tagscribe" "${tracks[0]}"
  run program "$top/tagscribe" "${album_dirs[@]}"; check program
  awk -v r="$round" '$1 == r { t[$2] = $3 / 1e6 } END {
    printf "%-6s %8.2f %8.2f %8.2f %8s %8.2f %8.2f   %.2f %.2f %.2f %s\n", r, t["pace"], t["floor"], t["hints"],
      ("taglib" in t) ? sprintf("%.2f", t["taglib"]) : "-", t["startup"], t["program"],
      t["program"] / t["pace"], t["program"] / t["floor"], t["program"] / t["hints"],
      ("taglib" in t) ? sprintf("%.2f", t["program"] / t["taglib"]) : "-" }' "$results"
done
clean_outputs

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR) printf "%.2f", v[int((NR + 1) / 2)]; else printf "-" }'; }
of() { awk -v n="$1" '$2 == n { print $3 / 1e6 }' "$results" | median; }
ratio() {
  awk -v a="$1" -v b="$2" '$2 == a { x[$1] = $3 } $2 == b { y[$1] = $3 }
    END { for (r in x) if (r in y) print x[r] / y[r] }' "$results" | median
}
echo
echo "medians: pace $(of pace) s, floor $(of floor) s, floor with hints $(of hints) s, TagLib $(of taglib) s, program start-up $(of startup) s, program $(of program) s"
echo "ratios, median of the rounds: program/pace $(ratio program pace), program/floor $(ratio program floor), program/hints $(ratio program hints), program/TagLib $(ratio program taglib), hints/pace $(ratio hints pace)"
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
