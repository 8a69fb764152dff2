#!/usr/bin/env bash
# What the catalogs cost and what they save, side by side, on a tree of
# 20,000 small files (200 folders of 100 files, 0.2 to 3 KB) and on a
# destination of 365 copy backups of it (a year of daily runs, every
# unchanged file linked), built natively with hard links (`cp -al`) in the
# build folder and kept for the next run of this script.
#   first    a copy of the tree into an empty destination, without and with
#            the catalog kept (every copy read back for its hash)
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
# Usage: bench/catalog-bench.sh   (BUILD_DIR, SCRATCH as in link-bench.sh)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${BUILD_DIR:-$root/build}" && cd "${BUILD_DIR:-$root/build}" && pwd)
scratch=${SCRATCH:-$build/catalog-bench}
mkdir -p "$scratch"

echo "building in $build" >&2
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build" -j2 --target catalog_bench_driver YorudexRestore empty_program \
  >"$build/catalog-bench-build.log" 2>&1 || { cat "$build/catalog-bench-build.log" >&2; exit 1; }
driver=$build/bench/catalog_bench_driver.exe
source "$root/bench/wine-desktop.sh"
winpath() { winepath -w "$1" 2>/dev/null; }
run() { wine "$driver" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
field() { sed -n "s/.*$1=\([^ ]*\).*/\1/p"; }

source "$root/bench/year.sh"
year_tree
src=$(winpath "$scratch/src/Work")

# The copies: each pair side by side, the destinations made fresh.
rm -rf "$scratch/plain" "$scratch/kept"
first_plain=$(run copy "$(winpath "$scratch/plain")\\2501\\01\\0000" "$src" | field s)
first_kept=$(run copy "$(winpath "$scratch/kept")\\2501\\01\\0000" "$src" --catalog | field s)
linked_plain=$(run copy "$(winpath "$scratch/plain")\\2501\\01\\0001" "$src" \
  "$(winpath "$scratch/plain")\\2501\\01\\0000" | field s)
linked_kept=$(run copy "$(winpath "$scratch/kept")\\2501\\01\\0001" "$src" \
  "$(winpath "$scratch/kept")\\2501\\01\\0000" --catalog | field s)
catalog_bytes=$(stat -c %s "$scratch/kept/2501/01/0000.catalog")

backup=$(winpath "$scratch/kept/2501/01/0000")
run readloop "$backup" >/dev/null
loop=$(run readloop "$backup" | field s)
verify=$(run verify "$backup" | field s)
hashloop=$(run hashloop "$backup" | field s)

year_of_backups
year=$scratch/year
# The catalogs of this build, each day's its own file as a run writes it.
year_catalogs "$scratch/kept/2501/01/0001.catalog"
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
printf '%-34s %10s %10s %s\n' "" "without" "with" "ratio (goal)"
printf '%-34s %10s %10s %s\n' "first copy run, 20,000 files (s)" "$first_plain" "$first_kept" \
  "$(ratio "$first_kept" "$first_plain") (<= 1.10)"
printf '%-34s %10s %10s %s\n' "linked run (s)" "$linked_plain" "$linked_kept" \
  "$(ratio "$linked_kept" "$linked_plain") (<= 1.05)"
printf '%-34s %10s %10s %s\n' "read: bare loop / verify (s)" "$loop" "$verify" \
  "speed $(ratio "$loop" "$verify") x the loop (>= 0.8)"
printf '%-34s %10s %10s\n' "read: bare loop / its hashing (s)" "$loop" "$hashloop"
printf '%-34s %10s\n' "catalog bytes per file" "$(ratio "$catalog_bytes" 20200)  (<= 40)"
printf '%-34s %10s %10s\n' "365 backups: list (s)" "$(echo "scale=1; $walk * 365 / 1" | bc) (walked, est.)" \
  "$(echo "$list_line" | field list_s)"
printf '%-34s %10s\n' "versions of one file (s)" "$(echo "$list_line" | field versions_s) ($(echo "$list_line" | field versions) found)"
printf '%-34s %10s\n' "peak memory of list+versions (MB)" "$(echo "$list_line" | field peak_mb)"
printf '%-34s %10s\n' "/LIST from outside (s)" "$slash_list"
