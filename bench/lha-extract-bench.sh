#!/usr/bin/env bash
# Extracts the benchmark corpus archive (the corpus of tools/lha-corpus
# archived by jlha, -lh5-, level 2) three ways, interleaved over REPEAT
# rounds, and prints medians, ratios to lhasa and peak memory:
#   dll     UNLHA32.DLL under Wine: bench/lha_extract_driver.exe calls
#           UnlhaW "x -c <archive> <dest>\" (the whole process timed from
#           outside, Wine's start included; the call alone from inside)
#   lhasa   Debian's lhasa, natively: lhasa xq <archive>
# Every extraction is compared with lhasa's, byte for byte.
# Goal: the dll at most 1.0 x lhasa's time, peak memory under 64 MB.
#   CORPUS  corpus folder, made when missing (default: scratch/lha-corpus)
#   OUT     work folder (default: scratch/lha-extract-bench)
#   REPEAT  rounds (default 3)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
corpus=${CORPUS:-$root/scratch/lha-corpus}
out=${OUT:-$root/scratch/lha-extract-bench}
repeat=${REPEAT:-3}
[[ -f $build/bench/lha_extract_driver.exe ]] || "$root/tools/build.sh" windows >/dev/null
if [[ ! -f $corpus.manifest ]]; then
  mkdir -p "$(dirname "$corpus")"
  "$root/tools/lha-corpus" "$(cd "$(dirname "$corpus")" && pwd)/$(basename "$corpus")" >&2
fi
corpus=$(cd "$corpus" && pwd)
mkdir -p "$out"
out=$(cd "$out" && pwd)
archive=$out/corpus.lzh
[[ -f $archive ]] || (cd "$corpus" && jlha a2o5q "$archive" Work >/dev/null)
echo "archive: $archive, $(stat -c %s "$archive") bytes; load before: $(uptime)"

wine_path() { echo "Z:${1//\//\\}"; }
"$root/tools/wine-session.sh" start "$build"
trap '"$root/tools/wine-session.sh" stop "$build"' EXIT
source "$root/tools/wine-env.sh" "$build"
now() { date +%s.%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

: >"$out/dll.times"
: >"$out/lhasa.times"
for ((round = 1; round <= repeat; ++round)); do
  rm -rf "$out/lhasa" && mkdir -p "$out/lhasa"
  (cd "$out/lhasa" && /usr/bin/time -o "$out/lhasa.time" -f '%e %M' lhasa xq "$archive")
  read -r wall kb <"$out/lhasa.time"
  echo "$wall $((kb / 1024))" >>"$out/lhasa.times"
  rm -rf "$out/dll" && mkdir -p "$out/dll"
  t0=$(now)
  line=$(wine "$build/bench/lha_extract_driver.exe" "$(wine_path "$build/dist")" \
    "$(wine_path "$archive")" "$(wine_path "$out/dll")\\" | tr -d '\r')
  t1=$(now)
  call=$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' <<<"$line")
  peak=$(sed -n 's/.*peak_mb=\([0-9.]*\).*/\1/p' <<<"$line")
  echo "$(echo "$t1 - $t0" | bc) $call $peak" >>"$out/dll.times"
  diff -r "$out/lhasa" "$out/dll" >/dev/null || { echo "round $round: the dll's files differ from lhasa's" >&2; exit 1; }
done
lhasa_wall=$(cut -d' ' -f1 "$out/lhasa.times" | median)
lhasa_mb=$(cut -d' ' -f2 "$out/lhasa.times" | median)
dll_wall=$(cut -d' ' -f1 "$out/dll.times" | median)
dll_call=$(cut -d' ' -f2 "$out/dll.times" | median)
dll_mb=$(cut -d' ' -f3 "$out/dll.times" | median)
printf '%-34s %8s %8s %10s\n' tool 'wall s' '/ lhasa' 'peak MB'
printf '%-34s %8.2f %8.2f %10s\n' 'lhasa xq (native)' "$lhasa_wall" 1 "$lhasa_mb"
printf '%-34s %8.2f %8.2f %10s\n' 'UNLHA32.DLL x, whole process' "$dll_wall" \
  "$(echo "$dll_wall / $lhasa_wall" | bc -l)" "$dll_mb"
printf '%-34s %8.2f %8.2f\n' 'UNLHA32.DLL x, the call' "$dll_call" \
  "$(echo "$dll_call / $lhasa_wall" | bc -l)"
echo "load after: $(uptime)"
