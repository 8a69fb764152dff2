#!/usr/bin/env bash
# Archives the corpus of tools/lha-corpus (about 100 MB of real files from
# Debian packages: headers, documentation, machine code, fonts, odd names)
# several ways, each pinned to one core, and prints sizes, speeds and ratios:
#   ours    UNLHA32.DLL driven the way an archive run drives it: a small
#           Windows program (bench/lha_bench_driver.cpp) under Wine calls the
#           binding's UnlhaSetBackGroundMode and Unlha with
#           a -x1 -r2 "<archive>" "<corpus>\" "Work\*"
#           (timed: the Unlha call, from inside the driver)
#   native  the same compressor and archive writer built for Linux
#           (bench/lha_native_driver.cpp): the speed without the round trip
#           to Wine's server that every file opened costs under Wine
#   ceiling the DLL's own code on the same command, but with the
#           shortest-path parse re-weighed over several passes and deep
#           searches (bench/lha_ceiling_driver.cpp): how small -lh5- gets here
#           at any cost (CEILING=0 leaves it out; it takes ten times ours)
#   jlha    Debian's jlha, -lh5-, level-2 headers, over the same tree
#   gzip    zlib level 6, every file on its own, deflate payload only, in one
#           Python process (the time of the compress calls)
# Each is shown with its wall time and its CPU time; on a machine that runs
# other work too the CPU time is the fairer measure. REPEAT=n runs ours,
# native and jlha n times and shows the medians.
# Then the archives of ours and the ceiling go through tools/lha-verify
# (lhasa, 7z, bsdtar).
#
# Goals: ours at most 0.98 x jlha's size and at least 3 x its speed;
# stretch: within 3 % of per-file gzip -6.
#
# Usage: bench/lha-bench.sh      (environment, all optional:)
#   BUILD_DIR  windows build folder              (default: build)
#   CORPUS     corpus folder, made when missing  (default: scratch/lha-corpus)
#   REPEAT     timed runs of ours, native, jlha  (default: 1)
#   VERIFY     0 skips the three-decoder check   (default: 1)
#   CEILING    0 skips the ceiling row           (default: 1)
#   CEILING_PASSES, CEILING_DEPTH                (default: 4, 2000)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${BUILD_DIR:-$root/build}" && cd "${BUILD_DIR:-$root/build}" && pwd)
native_build=$root/build-bench-native
corpus=${CORPUS:-$root/scratch/lha-corpus}
repeat=${REPEAT:-1}
out=$build/lha-bench
mkdir -p "$out"

echo "building in $build and $native_build" >&2
{
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" &&
    cmake --build "$build" -j2 --target lha_bench_driver lha_ceiling_driver unlha32_dll &&
    cmake -S "$root" -B "$native_build" -DCMAKE_BUILD_TYPE=Release -DYX_BUILD_TESTS=OFF \
      -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc &&
    cmake --build "$native_build" -j2 --target lha_native_driver
} >"$out/build.log" 2>&1 || { cat "$out/build.log" >&2; exit 1; }

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

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
declare -A wall cpu size
# Runs "$@" (which prints result=0 seconds=S cpu=C) $2 times for tool $1 and
# keeps the medians.
timed() {
  local tool=$1 times=$2 walls=() cpus=() line
  shift 2
  for ((k = 0; k < times; ++k)); do
    line=$("$@" | tr -d '\r')
    [[ $line == result=0* ]] || { echo "$tool failed: $line" >&2; exit 1; }
    walls+=("$(sed -E 's/.*seconds=([0-9.]+).*/\1/' <<<"$line")")
    cpus+=("$(sed -E 's/.*cpu=([0-9.]+).*/\1/' <<<"$line")")
  done
  wall[$tool]=$(printf '%s\n' "${walls[@]}" | median)
  cpu[$tool]=$(printf '%s\n' "${cpus[@]}" | median)
}

ours_run() {
  rm -f "$out/ours.lzh"
  taskset -c 0 wine "$build/bench/lha_bench_driver.exe" "$(wine_path "$build/dist")" \
    "$(wine_path "$out/ours.lzh")" "$(wine_path "$corpus")\\" 'Work\*'
}
timed ours "$repeat" ours_run
size[ours]=$(stat -c %s "$out/ours.lzh")

native_run() {
  rm -f "$out/native.lzh"
  taskset -c 0 "$native_build/bench/lha_native_driver" "$out/native.lzh" "$corpus" Work
}
timed native "$repeat" native_run
size[native]=$(stat -c %s "$out/native.lzh")

if [[ ${CEILING:-1} != 0 ]]; then
  ceiling_run() {
    rm -f "$out/ceiling.lzh"
    taskset -c 0 wine "$build/bench/lha_ceiling_driver.exe" "$(wine_path "$out/ceiling.lzh")" \
      "$(wine_path "$corpus")\\" 'Work\*' "${CEILING_PASSES:-4}" "${CEILING_DEPTH:-2000}"
  }
  timed ceiling 1 ceiling_run
  size[ceiling]=$(stat -c %s "$out/ceiling.lzh")
fi

jlha_run() {
  rm -f "$out/jlha.lzh"
  (cd "$corpus" && /usr/bin/time -o "$out/jlha.time" -f '%e %U %S' taskset -c 0 \
    jlha a2o5q "$out/jlha.lzh" Work >/dev/null 2>&1)
  awk '{printf "result=0 seconds=%s cpu=%.2f\n", $1, $2 + $3}' "$out/jlha.time"
}
timed jlha "$repeat" jlha_run
size[jlha]=$(stat -c %s "$out/jlha.lzh")

# gzip -6, per file, payload only
read -r size[gzip] wall[gzip] cpu[gzip] < <(cd "$corpus" && taskset -c 0 python3 - <<'PY'
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

mb() { echo "scale=2; $bytes / 1000000 / $1" | bc; }
ratio() { echo "scale=$3; $1 / $2" | bc; }
row() {
  [[ -n ${size[$2]:-} ]] || return 0
  printf '%-42s %11d %8.2f %8s %8.2f %8s\n' "$1" "${size[$2]}" "${wall[$2]}" "$(mb "${wall[$2]}")" \
    "${cpu[$2]}" "$(mb "${cpu[$2]}")"
}
printf '\n%-42s %11s %8s %8s %8s %8s\n' "one core, median of $repeat" "bytes" "wall s" "MB/s" "CPU s" "MB/s"
row "ours: UNLHA32.DLL, binding, Wine" ours
row "native: same code, Linux file calls" native
row "ceiling: shortest path, ${CEILING_PASSES:-4} passes (Wine)" ceiling
row "jlha -lh5-, level 2" jlha
row "zlib -6 per file, payload only" gzip
echo
echo "size  ours / jlha    = $(ratio "${size[ours]}" "${size[jlha]}" 4)   (goal <= 0.98)"
echo "speed ours / jlha    = $(ratio "${wall[jlha]}" "${wall[ours]}" 2) x wall, $(ratio "${cpu[jlha]}" "${cpu[ours]}" 2) x CPU   (goal >= 3)"
echo "speed native / jlha  = $(ratio "${wall[jlha]}" "${wall[native]}" 2) x wall, $(ratio "${cpu[jlha]}" "${cpu[native]}" 2) x CPU"
echo "size  ours / zlib-6  = $(ratio "${size[ours]}" "${size[gzip]}" 4)   (stretch <= 1.03)"
[[ -z ${size[ceiling]:-} ]] ||
  echo "size  ceiling / jlha = $(ratio "${size[ceiling]}" "${size[jlha]}" 4), at $(ratio "${cpu[jlha]}" "${cpu[ceiling]}" 2) x jlha's speed (CPU)"

if [[ ${VERIFY:-1} != 0 ]]; then
  echo
  "$root/tools/lha-verify" "$out/ours.lzh" "$corpus.manifest"
  [[ -z ${size[ceiling]:-} ]] || "$root/tools/lha-verify" "$out/ceiling.lzh" "$corpus.manifest"
fi
