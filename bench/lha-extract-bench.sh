#!/usr/bin/env bash
# Extracts the benchmark corpus archive (the corpus of tools/lha-corpus
# archived by jlha, -lh5-, level 2) three ways, interleaved over REPEAT
# rounds, and prints medians, ratios to lhasa and peak memory:
#   dll     UNLHA32.DLL under Wine: bench/lha_extract_driver.exe calls
#           UnlhaW "x -c <archive> <dest>\" (the whole process timed from
#           outside, Wine's start included; the call alone from inside)
#   lhasa   Debian's lhasa, natively: lhasa xq <archive>
# Every extraction is compared with lhasa's, byte for byte: the same files,
# the same folders, the same bytes; any difference fails the run.
# The archive is made from a copy of the corpus (hard links) without the
# names the two sides cannot both write alike, which are counted and printed:
#   - names that differ from another only in case (FAQ.html and faq.html):
#     lhasa on Linux writes both, Windows keeps one; the first in byte order
#     stays in the copy;
#   - names with bytes outside printable ASCII or with a character Windows
#     forbids: jlha stores them with a literal '?' or in Latin-1, which lhasa
#     writes as raw bytes and Windows cannot or decodes to other characters.
# Both sides then extract the same archive of the same entries, so the
# times compare like for like. Each round extracts into folders of its own,
# deleted only at the end; the side that goes first alternates, and a first
# round is not counted: on a file system without a journal (as on the build
# machines) ext4 skips, at every file created, the inodes freed in the last
# minutes, so whoever creates files first after a big deletion pays for it.
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
source "$root/bench/corpus.sh"
mkdir -p "$out"
out=$(cd "$out" && pwd)
shared=$out/corpus-shared
archive=$out/corpus-shared.lzh
if [[ ! -f $archive ]]; then
  rm -rf "$shared" && cp -al "$corpus" "$shared"
  left_out=$(cd "$shared" && LC_ALL=C find Work \( -name '*[^ -~]*' -o -name '*[<>:"|?*\\]*' \) \
    -prune -print -exec rm -rf {} + | wc -l)
  # Case-only twins: keep the first of each group in byte order.
  twins=$(cd "$shared" && LC_ALL=C find Work | LC_ALL=C sort |
    awk '{ key = tolower($0) } seen[key]++ { print }')
  [[ -z $twins ]] || (cd "$shared" && while IFS= read -r p; do rm -rf -- "$p"; done <<<"$twins")
  echo "left out of the archive: $left_out names outside printable ASCII or forbidden on" \
    "Windows; $(grep -c . <<<"$twins") case-only twins" >"$archive.note"
  (cd "$shared" && jlha a2o5q "$archive" Work >/dev/null)
fi
cat "$archive.note"
echo "archive: $archive, $(stat -c %s "$archive") bytes; load before: $(uptime)"

wine_path() { echo "Z:${1//\//\\}"; }
"$root/tools/wine-session.sh" start "$build"
trap '"$root/tools/wine-session.sh" stop "$build"' EXIT
source "$root/tools/wine-env.sh" "$build"
now() { date +%s.%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

: >"$out/dll.times"
: >"$out/lhasa.times"
rm -rf "$out"/round*
run_lhasa() {
  mkdir -p "$1"
  (cd "$1" && /usr/bin/time -o "$out/lhasa.time" -f '%e %M' lhasa xq "$archive")
  read -r wall kb <"$out/lhasa.time"
  echo "$wall $((kb / 1024))" >>"$out/lhasa.times"
}
run_dll() {
  mkdir -p "$1"
  local t0 t1 line call peak status=0
  t0=$(now)
  line=$(wine "$build/bench/lha_extract_driver.exe" "$(wine_path "$build/dist")" \
    "$(wine_path "$archive")" "$(wine_path "$1")\\" 2>"$out/dll.err") || status=$?
  t1=$(now)
  line=${line//$'\r'/}
  call=$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' <<<"$line")
  peak=$(sed -n 's/.*peak_mb=\([0-9.]*\).*/\1/p' <<<"$line")
  echo "$(echo "$t1 - $t0" | bc) ${call:-0} ${peak:-0}" >>"$out/dll.times"
  if ((status != 0)); then
    echo "round $round: the dll's extraction failed (exit $status): $line" >&2
    head -20 "$out/dll.err" >&2
    exit 1
  fi
}
# Round 0, not counted, takes on both sides what deletions just before the
# bench (a build, a test run, the last bench's folders) cost the first
# files created; the rounds after show the programs.
for ((round = 0; round <= repeat; ++round)); do
  dir=$out/round$round
  if ((round % 2)); then
    run_lhasa "$dir/lhasa" && run_dll "$dir/dll"
  else
    run_dll "$dir/dll" && run_lhasa "$dir/lhasa"
  fi
  if ((round == 0)); then
    : >"$out/dll.times"
    : >"$out/lhasa.times"
  fi
  if ! diff -r "$dir/lhasa" "$dir/dll" >"$out/diff.txt" 2>&1; then
    echo "round $round: the dll's files differ from lhasa's ($(wc -l <"$out/diff.txt") lines):" >&2
    head -20 "$out/diff.txt" >&2
    exit 1
  fi
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
# Last, once timed: see the header.
rm -rf "$out"/round*
