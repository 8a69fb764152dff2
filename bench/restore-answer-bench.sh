#!/usr/bin/env bash
# How long the restore window's thread takes to answer while it opens on a
# year of backups (bench/year.sh: 365 copy backups of 20,000 files, built
# once and shared with catalog-bench.sh), and when its list is complete.
# bench/answer_probe.cpp starts YorudexRestore.exe, sends its window WM_NULL
# every 20 ms for PROBE_MS and then closes it, and notes when the backups'
# list first held all 365 rows. The first answer comes once the window is
# made (its controls included) and is printed apart, beside that of an
# empty window of the same size (bench/empty_program.cpp /OPEN). Rounds
# alternate between the year with its catalogs (what a user of this version
# has) and the same backups without (an earlier version's). Prints the
# probe's lines per round and the load.
#
# Goals: every answer within 100 ms; the list complete within 1 s of the
# start (with catalogs).
#
# Usage: bench/restore-answer-bench.sh   (environment, all optional:)
#   BUILD_DIR  windows build folder          (default: build)
#   SCRATCH    where the year is kept        (default: BUILD_DIR/catalog-bench)
#   PROBE_MS   how long the window is probed (default: 10000)
#   ROUNDS     rounds of each                (default: 3)
#   BEFORE     another YorudexRestore.exe (an earlier build) probed in the
#              same rounds, beside this build's
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${BUILD_DIR:-$root/build}" && cd "${BUILD_DIR:-$root/build}" && pwd)
scratch=${SCRATCH:-$build/catalog-bench}
probe_ms=${PROBE_MS:-10000}
rounds=${ROUNDS:-3}
mkdir -p "$scratch"

source "$root/bench/build.sh"
bench_build "$build/restore-answer-bench-build.log" answer_probe catalog_bench_driver \
  YorudexRestore empty_program
driver=$build/bench/catalog_bench_driver.exe
source "$root/bench/wine-desktop.sh"
winpath() { winepath -w "$1" 2>/dev/null; }
run() { wine "$driver" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
source "$root/bench/year.sh"
year_without_catalogs
# The year's catalogs, written by this build (one copy of the tree).
rm -rf "$scratch/year-catalog"
run copy "$(winpath "$scratch/year-catalog")\\2501\\01\\0905" "$(winpath "$scratch/src/Work")" \
  --catalog >/dev/null
year_catalogs "$scratch/year-catalog/2501/01/0905.catalog"

# One program folder per program and destination, its settings naming it.
programs=(this)
[[ -n ${BEFORE:-} ]] && programs+=(before)
for program in "${programs[@]}"; do
  exe=$build/dist/YorudexRestore.exe
  [[ $program == before ]] && exe=$BEFORE
  for kind in year year-plain; do
    folder=$scratch/answer-$program-$kind
    mkdir -p "$folder"
    cp "$exe" "$folder/YorudexRestore.exe"
    printf '[Backup]\r\nTO=%s\r\n' "$(winpath "$scratch/$kind")" >"$folder/Yorudex.INI"
  done
done

# The probe's lines as one. Into a file, not a pipe: a Wine process the
# probe's program starts (Wine's desktop) would hold a pipe open.
probe() {
  wine "$build/bench/answer_probe.exe" "$@" </dev/null >"$scratch/answer-probe.txt" 2>&1 || true
  tr -d '\r' <"$scratch/answer-probe.txt" | paste -sd' '
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
for ((r = 1; r <= rounds; ++r)); do
  # The floor of the first answer: an empty window of the same size.
  line=$(probe EmptyOpen 20 2000 -1 "$(winpath "$build/bench/empty_program.exe")" /OPEN)
  printf '%-21s round %d: %s\n' "empty window" "$r" "$line"
  for program in "${programs[@]}"; do
    for kind in year year-plain; do
      line=$(probe YorudexRestore 20 "$probe_ms" 365 \
        "$(winpath "$scratch/answer-$program-$kind/YorudexRestore.exe")")
      printf '%-6s %-14s round %d: %s\n' "$program" \
        "$([[ $kind == year ]] && echo "with catalogs" || echo "without")" "$r" "$line"
    done
  done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
