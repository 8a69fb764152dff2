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
#   ceiling the archiver's own code on the same command, but with the
#          shortest-path parse re-weighed over several passes and deep
#          searches (bench/lha_ceiling_driver.cpp): how small -lh5- gets here
#          at any cost (CEILING=0 leaves it out; it takes ten times ours)
# Each is shown with its wall time and its CPU time; on a machine that runs
# other work too only the CPU time is a fair measure.
# Then the archives of ours and the ceiling go through tools/lha-verify
# (lhasa, 7z, bsdtar).
#
# Goals: ours at most 0.98 x jlha's size and at least 3 x its speed;
# stretch: within 3 % of per-file gzip -6.
#
# Usage: bench/lha-bench.sh      (environment, all optional:)
#   BUILD_DIR  windows build folder              (default: build)
#   CORPUS     corpus folder, made when missing  (default: scratch/lha-corpus)
#   VERIFY     0 skips the three-decoder check   (default: 1)
#   CEILING    0 skips the ceiling row           (default: 1)
#   CEILING_PASSES, CEILING_DEPTH                (default: 4, 2000)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${BUILD_DIR:-$root/build}" && cd "${BUILD_DIR:-$root/build}" && pwd)
corpus=${CORPUS:-$root/scratch/lha-corpus}
out=$build/lha-bench
mkdir -p "$out"

echo "building in $build" >&2
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build" -j2 --target lha_bench_driver lha_ceiling_driver unlha32_dll >"$out/build.log" 2>&1 ||
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

# the ceiling
if [[ ${CEILING:-1} != 0 ]]; then
  rm -f "$out/ceiling.lzh"
  line=$(taskset -c 0 wine "$build/bench/lha_ceiling_driver.exe" "$(wine_path "$out/ceiling.lzh")" \
    "$(wine_path "$corpus")\\" 'Work\*' "${CEILING_PASSES:-4}" "${CEILING_DEPTH:-2000}" | tr -d '\r')
  [[ $line == result=0* ]] || { echo "ceiling failed: $line" >&2; exit 1; }
  ceiling_s=$(sed -E 's/.*seconds=([0-9.]+).*/\1/' <<<"$line")
  ceiling_cpu=$(sed -E 's/.*cpu=([0-9.]+).*/\1/' <<<"$line")
  ceiling_size=$(stat -c %s "$out/ceiling.lzh")
fi

# jlha
rm -f "$out/jlha.lzh"
(cd "$corpus" && /usr/bin/time -o "$out/jlha.time" -f '%e %U %S' taskset -c 0 \
  jlha a2o5q "$out/jlha.lzh" Work >/dev/null 2>&1)
read -r jlha_s jlha_cpu < <(awk '{printf "%s %.2f\n", $1, $2 + $3}' "$out/jlha.time")
jlha_size=$(stat -c %s "$out/jlha.lzh")

# gzip -6, per file, payload only
read -r gzip_size gzip_s gzip_cpu < <(cd "$corpus" && taskset -c 0 python3 - <<'PY'
import os, time, zlib
size, spent, cpu = 0, 0.0, 0.0
for dirpath, _, names in os.walk("Work"):
    for n in names:
        data = open(os.path.join(dirpath, n), "rb").read()
        t, c0 = time.perf_counter(), time.process_time()
        c = zlib.compressobj(6, zlib.DEFLATED, -15)
        size += len(c.compress(data) + c.flush())
        spent += time.perf_counter() - t
        cpu += time.process_time() - c0
print(size, "%.3f" % spent, "%.3f" % cpu)
PY
)

# Wall time is what a user waits for; CPU time is what the tool itself
# costs, and the fairer measure on a machine that runs other work too.
mb() { echo "scale=2; $bytes / 1000000 / $1" | bc; }
printf '\n%-40s %11s %8s %8s %8s %8s\n' "tool (one core)" "bytes" "wall s" "MB/s" "CPU s" "MB/s"
row() { printf '%-40s %11d %8.2f %8s %8.2f %8s\n' "$1" "$2" "$3" "$(mb "$3")" "$4" "$(mb "$4")"; }
row "ours: UNLHA32.DLL, binding, Wine" "$ours_size" "$ours_s" "$ours_cpu"
[[ -z ${ceiling_size:-} ]] ||
  row "ceiling: shortest path, ${CEILING_PASSES:-4} passes" "$ceiling_size" "$ceiling_s" "$ceiling_cpu"
row "jlha -lh5-, level 2" "$jlha_size" "$jlha_s" "$jlha_cpu"
row "zlib -6 per file, payload only" "$gzip_size" "$gzip_s" "$gzip_cpu"
echo
echo "size  ours / jlha   = $(echo "scale=4; $ours_size / $jlha_size" | bc)   (goal <= 0.98)"
echo "speed ours / jlha   = $(echo "scale=2; $jlha_s / $ours_s" | bc) x wall, $(echo "scale=2; $jlha_cpu / $ours_cpu" | bc) x CPU   (goal >= 3)"
echo "size  ours / zlib-6 = $(echo "scale=4; $ours_size / $gzip_size" | bc)   (stretch <= 1.03)"
[[ -z ${ceiling_size:-} ]] ||
  echo "size  ceiling / jlha = $(echo "scale=4; $ceiling_size / $jlha_size" | bc), at $(echo "scale=2; $jlha_cpu / $ceiling_cpu" | bc) x jlha's speed (CPU)"

if [[ ${VERIFY:-1} != 0 ]]; then
  echo
  "$root/tools/lha-verify" "$out/ours.lzh" "$corpus.manifest"
  [[ -z ${ceiling_size:-} ]] || "$root/tools/lha-verify" "$out/ceiling.lzh" "$corpus.manifest"
fi
