#!/usr/bin/env bash
# Archives the corpus of tools/lha-corpus (about 100 MB of real files from
# Debian packages: headers, documentation, machine code, fonts, odd names)
# three ways, each pinned to one core, and prints sizes, speeds and ratios:
#   ours   UNLHA32.DLL driven the way an archive run drives it: a small
#          Windows program (bench/lha_bench_driver.cpp) under Wine calls the
#          binding's UnlhaSetBackGroundMode and Unlha with
#          a -x1 -r2 "<archive>" "<corpus>\" "Work\*"
#          (timed: the Unlha call, from inside the driver)
#   jlha   Debian's jlha, -lh5-, level-2 headers, over the same tree (wall time)
#   gzip   zlib level 6, every file on its own, deflate payload only, in one
#          Python process (the time of the compress calls)
# Then the archive of ours goes through tools/lha-verify (lhasa, 7z, bsdtar).
#
# Goals: ours at most 0.98 x jlha's size and at least 3 x its speed;
# stretch: within 3 % of per-file gzip -6.
#
# Usage: bench/lha-bench.sh      (environment, all optional:)
#   BUILD_DIR  windows build folder              (default: build)
#   CORPUS     corpus folder, made when missing  (default: scratch/lha-corpus)
#   VERIFY     0 skips the three-decoder check   (default: 1)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${BUILD_DIR:-$root/build}" && cd "${BUILD_DIR:-$root/build}" && pwd)
corpus=${CORPUS:-$root/scratch/lha-corpus}
out=$build/lha-bench
mkdir -p "$out"

echo "building in $build" >&2
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build" -j2 --target lha_bench_driver unlha32_dll >"$out/build.log" 2>&1 ||
  { cat "$out/build.log" >&2; exit 1; }

if [[ ! -f $corpus.manifest ]]; then
  echo "making the corpus in $corpus" >&2
  "$root/tools/lha-corpus" "$corpus" >&2
fi
corpus=$(cd "$corpus" && pwd)
bytes=$(find "$corpus/Work" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
files=$(find "$corpus/Work" -type f | wc -l)
echo "corpus: $corpus, $files files, $bytes bytes" >&2

wine_path() { echo "Z:${1//\//\\}"; }
"$root/tools/wine-session.sh" start "$build"
trap '"$root/tools/wine-session.sh" stop "$build"' EXIT
source "$root/tools/wine-env.sh" "$build"

# ours
rm -f "$out/ours.lzh"
line=$(taskset -c 0 wine "$build/bench/lha_bench_driver.exe" "$(wine_path "$build/dist")" \
  "$(wine_path "$out/ours.lzh")" "$(wine_path "$corpus")\\" 'Work\*' | tr -d '\r')
[[ $line == result=0* ]] || { echo "ours failed: $line" >&2; exit 1; }
ours_s=$(sed -E 's/.*seconds=([0-9.]+).*/\1/' <<<"$line")
ours_cpu=$(sed -E 's/.*cpu=([0-9.]+).*/\1/' <<<"$line")
ours_size=$(stat -c %s "$out/ours.lzh")

# jlha
rm -f "$out/jlha.lzh"
t0=$(date +%s.%N)
(cd "$corpus" && taskset -c 0 jlha a2o5q "$out/jlha.lzh" Work >/dev/null 2>&1)
t1=$(date +%s.%N)
jlha_s=$(echo "$t1 - $t0" | bc)
jlha_size=$(stat -c %s "$out/jlha.lzh")

# gzip -6, per file, payload only
read -r gzip_size gzip_s < <(cd "$corpus" && taskset -c 0 python3 - <<'PY'
import os, time, zlib
size, spent = 0, 0.0
for dirpath, _, names in os.walk("Work"):
    for n in names:
        data = open(os.path.join(dirpath, n), "rb").read()
        t = time.perf_counter()
        c = zlib.compressobj(6, zlib.DEFLATED, -15)
        size += len(c.compress(data) + c.flush())
        spent += time.perf_counter() - t
print(size, "%.3f" % spent)
PY
)

mb() { echo "scale=2; $bytes / 1000000 / $1" | bc; }
printf '\n%-44s %12s %9s %8s\n' "tool (one core)" "bytes" "seconds" "MB/s"
printf '%-44s %12d %9.2f %8s   (CPU %.2f s)\n' "ours: UNLHA32.DLL via the binding, Wine" "$ours_size" "$ours_s" "$(mb "$ours_s")" "$ours_cpu"
printf '%-44s %12d %9.2f %8s\n' "jlha -lh5-, level 2" "$jlha_size" "$jlha_s" "$(mb "$jlha_s")"
printf '%-44s %12d %9.2f %8s\n' "zlib -6 per file, payload only" "$gzip_size" "$gzip_s" "$(mb "$gzip_s")"
size_ratio=$(echo "scale=4; $ours_size / $jlha_size" | bc)
speed_ratio=$(echo "scale=2; $jlha_s / $ours_s" | bc)
gzip_ratio=$(echo "scale=4; $ours_size / $gzip_size" | bc)
echo
echo "size  ours / jlha   = $size_ratio   (goal <= 0.98)"
echo "speed ours / jlha   = $speed_ratio x (goal >= 3)"
echo "size  ours / zlib-6 = $gzip_ratio   (stretch <= 1.03)"

if [[ ${VERIFY:-1} != 0 ]]; then
  echo
  "$root/tools/lha-verify" "$out/ours.lzh" "$corpus.manifest"
fi
