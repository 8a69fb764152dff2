#!/usr/bin/env bash
# What the catalogs cost and what they save, side by side, on a tree of
# 20,000 small files (200 folders of 100 files, 0.2 to 3 KB) and on a
# destination of 365 copy backups of it (a year of daily runs, every
# unchanged file linked), built natively with hard links (`cp -al`) in the
# build folder and kept for the next run of this script.
#   first    a copy of the tree into an empty destination, without and with
#            the catalog kept (every copy hashed as it is written)
#   linked   the same tree again, every file linked; without a catalog the
#            links follow the earlier files alone, with one they must match
#            its catalog and take its hashes
#   bytes    the catalog's size per file
#   verify   one backup read against its catalog, and a bare loop reading
#            the same files (after one uncounted read of them), and the
#            verification's reading and hashing in a loop of its own
#   list     at 365 backups: the restore's list with every backup's size and
#            files, and the versions of one file, from the catalogs; the
#            peak memory of that process; YorudexRestore /LIST timed from
#            outside; and the list as it was, every backup walked (5 walked,
#            times 365)
# Goals: first <= 1.10 x without, linked <= 1.05 x without, <= 40 bytes a
# file, verify >= 0.8 x the bare loop's speed, list <= 1 s, versions
# <= 0.5 s, peak < 150 MB, /LIST <= 0.5 s.
#
# Usage: bench/catalog-bench.sh   (BUILD_DIR, SCRATCH as in link-bench.sh;
#   ROUNDS: rounds of the first and linked runs, default 5)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${BUILD_DIR:-$root/build}" && cd "${BUILD_DIR:-$root/build}" && pwd)
scratch=${SCRATCH:-$build/catalog-bench}
mkdir -p "$scratch"

source "$root/bench/build.sh"
bench_build "$build/catalog-bench-build.log" catalog_bench_driver YorudexRestore empty_program
driver=$build/bench/catalog_bench_driver.exe
source "$root/bench/wine-desktop.sh"
winpath() { winepath -w "$1" 2>/dev/null; }
run() { wine "$driver" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
field() { sed -n "s/.*$1=\([^ ]*\).*/\1/p"; }

source "$root/bench/year.sh"
year_tree
src=$(winpath "$scratch/src/Work")

# The copies: each pair side by side, ROUNDS times, the order of each pair
# swapped every round, the source read and the disk's pending writes
# flushed before each run, and every round's destinations new ones, all
# removed at the end (the run made first in a round was the slower in most
# rounds, whatever its kind, while each round removed the last one's trees
# first: the file system creates files slowly for a while after a large
# deletion). The medians are shown, and the median of each round's own
# ratio: the machine's load moves a round by more than the goals allow.
rounds=${ROUNDS:-5}
median() { printf '%s\n' "$@" | sort -n | sed -n "$(( ($# + 1) / 2 ))p"; }
copy_run() {  # plain|kept, the backup's time folder, the earlier one or none
  local to=$(winpath "$scratch/$1$round")\\2501\\01
  find "$scratch/src" -type f -exec cat {} + >/dev/null
  sync
  run copy "$to\\$2" "$src" ${3:+"$to\\$3"} $([[ $1 == kept ]] && echo --catalog) | field s
}
fp=() fk=() lp=() lk=() first_ratios=() linked_ratios=()
rm -rf "$scratch"/plain* "$scratch"/kept*
for ((round = 1; round <= rounds; round++)); do
  if ((round % 2)); then
    fp+=("$(copy_run plain 0000)") fk+=("$(copy_run kept 0000)")
    lp+=("$(copy_run plain 0001 0000)") lk+=("$(copy_run kept 0001 0000)")
  else
    fk+=("$(copy_run kept 0000)") fp+=("$(copy_run plain 0000)")
    lk+=("$(copy_run kept 0001 0000)") lp+=("$(copy_run plain 0001 0000)")
  fi
  first_ratios+=("$(echo "scale=3; ${fk[-1]} / ${fp[-1]}" | bc)")
  linked_ratios+=("$(echo "scale=3; ${lk[-1]} / ${lp[-1]}" | bc)")
  echo "round $round: first ${fp[-1]} / ${fk[-1]} s (${first_ratios[-1]}), linked" \
    "${lp[-1]} / ${lk[-1]} s (${linked_ratios[-1]})" >&2
done
first_plain=$(median "${fp[@]}") first_kept=$(median "${fk[@]}")
linked_plain=$(median "${lp[@]}") linked_kept=$(median "${lk[@]}")
catalog_bytes=$(stat -c %s "$scratch/kept1/2501/01/0000.catalog")

backup=$(winpath "$scratch/kept1/2501/01/0000")
run readloop "$backup" >/dev/null
loop=$(run readloop "$backup" | field s)
verify=$(run verify "$backup" | field s)
hashloop=$(run hashloop "$backup" | field s)

year_of_backups
year=$scratch/year
# The catalogs of this build, each day's its own file as a run writes it.
year_catalogs "$scratch/kept1/2501/01/0001.catalog"
list_line=$(run list "$(winpath "$year")" 'Work\folder150\file050.dat')
mkdir -p "$scratch/program"
cp "$build/dist/YorudexRestore.exe" "$scratch/program/"
start=$(date +%s.%N)
wine "$scratch/program/YorudexRestore.exe" /LIST "$(winpath "$scratch/list.txt")" \
  /FROM "$(winpath "$year")" </dev/null >/dev/null 2>&1
slash_list=$(echo "$(date +%s.%N) - $start" | bc)
walk=$(run walk "$(winpath "$year")" 5 | field per_backup_s)

ratio() { echo "scale=3; $1 / $2" | bc; }
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
echo "first and linked runs: medians of $rounds rounds, ratio: the median of the rounds' own"
printf '%-34s %10s %10s %s\n' "" "without" "with" "ratio (goal)"
printf '%-34s %10s %10s %s\n' "first copy run, 20,000 files (s)" "$first_plain" "$first_kept" \
  "$(median "${first_ratios[@]}") (<= 1.10)"
printf '%-34s %10s %10s %s\n' "linked run (s)" "$linked_plain" "$linked_kept" \
  "$(median "${linked_ratios[@]}") (<= 1.05)"
printf '%-34s %10s %10s %s\n' "read: bare loop / verify (s)" "$loop" "$verify" \
  "speed $(ratio "$loop" "$verify") x the loop (>= 0.8)"
printf '%-34s %10s %10s\n' "read: bare loop / its hashing (s)" "$loop" "$hashloop"
printf '%-34s %10s\n' "catalog bytes per file" "$(ratio "$catalog_bytes" 20200)  (<= 40)"
printf '%-34s %10s %10s\n' "365 backups: list (s)" "$(echo "scale=1; $walk * 365 / 1" | bc) (walked, est.)" \
  "$(echo "$list_line" | field list_s)"
printf '%-34s %10s\n' "versions of one file (s)" "$(echo "$list_line" | field versions_s) ($(echo "$list_line" | field versions) found)"
printf '%-34s %10s\n' "peak memory of list+versions (MB)" "$(echo "$list_line" | field peak_mb)"
printf '%-34s %10s\n' "/LIST from outside (s)" "$slash_list"
# The first round's destinations stay, as one round's did before.
for ((round = 2; round <= rounds; round++)); do rm -rf "$scratch/plain$round" "$scratch/kept$round"; done
