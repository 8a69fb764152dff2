#!/usr/bin/env bash
# Archives the corpus of tools/lha-corpus (about 100 MB of real files from
# Debian packages: headers, documentation, machine code, fonts, odd names)
# several ways and prints sizes, times, ratios, the load of the machine and
# the archiver's peak memory:
#   auto    the whole unattended run: Yorudex.exe /AUTO in archive mode with
#           the corpus as its one source, timed by the clock from outside,
#           Wine's start of the process included (its desktop process kept
#           running, as on a user's desktop); on every core the machine
#           has (auto), and held to one core with taskset (auto-1core: the
#           archiver then takes one worker)
#   dll     UNLHA32.DLL driven the way an archive run drives it: a small
#           Windows program (bench/lha_bench_driver.cpp) under Wine calls the
#           binding's UnlhaSetBackGroundMode and Unlha with
#           a -x1 -r2 "<archive>" "<corpus>\" "Work\*"
#           (timed: the Unlha call, from inside the driver); every core and
#           one core, as for auto
#   jlha    Debian's jlha, -lh5-, level-2 headers, over the same tree, as
#           its users run it: on every core (its compressor is one thread,
#           Java's compiler and collector take the others); and held to one
#           core with taskset (jlha-1core), the figure of earlier runs
# These run interleaved, REPEAT rounds (each round in a different order), and
# the medians are shown. Then once each:
#   check   the same command through the library's own entry
#           (bench/lha_library_driver.cpp): how long the archive's check of
#           itself takes (read back, decode, compare) and its share of the run
#   native  the same compressor and archive writer built for Linux
#           (bench/lha_native_driver.cpp), one worker and two: the speed
#           without what Wine adds to every file opened
#   gzip    zlib level 6, every file on its own, deflate payload only
#   ceiling (CEILING=1) the library with the shortest-path parse re-weighed
#           over several passes with deep searches: how small -lh5- gets
#   memory  (MEMORY=1) a tree of 100,000 small files archived through the
#           DLL: the peak working set of the process, and per file; then
#           100 of them added again to that archive, as the call for a second
#           source of a run updates the archive of the first
# The archives of auto and dll must be byte for byte the same for one worker
# and for several; they and the ceiling's go through tools/lha-verify
# (lhasa, 7z, bsdtar).
#
# Goals: auto at least 2.8 x jlha by the clock, dll at least 4 x; size at
# most 0.993 x jlha; the check at most 10 % of the run; memory under 64 MB
# for 100,000 files.
#
# Usage: bench/lha-bench.sh      (environment, all optional:)
#   BUILD_DIR  windows build folder              (default: build)
#   CORPUS     corpus folder, made when missing  (default: scratch/lha-corpus)
#   REPEAT     rounds of the timed rows          (default: 1; 3 for medians)
#   VERIFY     0 skips the three-decoder check   (default: 1)
#   CEILING    1 adds the ceiling row            (default: 0, it takes minutes)
#   CEILING_PASSES, CEILING_DEPTH                (default: 4, 2000)
#   MEMORY     1 adds the 100,000-file memory run (default: 0)
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
    cmake --build "$build" -j2 --target lha_bench_driver lha_library_driver unlha32_dll Yorudex \
      empty_program &&
    cmake -S "$root" -B "$native_build" -DCMAKE_BUILD_TYPE=Release -DYX_BUILD_TESTS=OFF \
      -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc &&
    cmake --build "$native_build" -j2 --target lha_native_driver
} >"$out/build.log" 2>&1 || { cat "$out/build.log" >&2; exit 1; }

source "$root/bench/corpus.sh"
bytes=$(find "$corpus/Work" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
files=$(find "$corpus/Work" -type f | wc -l)
echo "corpus: $corpus, $files files, $bytes bytes"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
echo "load before: $(uptime)"

wine_path() { echo "Z:${1//\//\\}"; }
source "$root/bench/wine-desktop.sh"

now() { date +%s.%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
declare -A walls cpus wall cpu size line native_check

# The whole run: a program folder with Yorudex.exe, UNLHA32.DLL and settings
# for archive mode, the corpus as the one source.
app=$out/app
rm -rf "$app" && mkdir -p "$app"
cp "$build/dist/Yorudex.exe" "$build/dist/UNLHA32.DLL" "$app/"
auto_run() {  # auto_run TOOL [taskset args]
  local tool=$1 t0 t1 archive
  shift
  rm -rf "$out/$tool-dest" "$app/log"
  mkdir -p "$out/$tool-dest"
  printf '[Backup]\r\nTIME00=1200\r\nLHA_USE=1\r\nDEL_USE=0\r\nKILL_USE=0\r\nTO=%s\r\nFROM00=%s\r\n' \
    "$(wine_path "$out/$tool-dest")" "$(wine_path "$corpus/Work")" >"$app/Yorudex.INI"
  t0=$(now)
  "$@" wine "$app/Yorudex.exe" /AUTO </dev/null >/dev/null 2>&1 || true
  t1=$(now)
  archive=$(find "$out/$tool-dest" -name '*.lzh' | head -1)
  [[ -n $archive ]] && grep -q $'\tバックアップ正常終了' <(iconv -f CP932 -t UTF-8 "$app"/log/*.log) ||
    { echo "$tool: no archive or no success line" >&2; exit 1; }
  mv "$archive" "$out/$tool.lzh"
  echo "result=0 seconds=$(printf '%.3f' "$(echo "$t1 - $t0" | bc)") cpu=-"
}
dll_run() {  # dll_run TOOL [taskset args]
  local tool=$1
  shift
  rm -f "$out/$tool.lzh"
  "$@" wine "$build/bench/lha_bench_driver.exe" "$(wine_path "$build/dist")" \
    "$(wine_path "$out/$tool.lzh")" "$(wine_path "$corpus")\\" 'Work\*'
}
jlha_run() {  # jlha_run TOOL [taskset args]
  local tool=$1
  shift
  rm -f "$out/$tool.lzh"
  (cd "$corpus" && /usr/bin/time -o "$out/$tool.time" -f '%e %U %S' \
    "$@" jlha a2o5q "$out/$tool.lzh" Work >/dev/null 2>&1)
  awk '{printf "result=0 seconds=%s cpu=%.2f\n", $1, $2 + $3}' "$out/$tool.time"
}
run_tool() {
  case $1 in
    auto) auto_run auto ;;
    auto-1core) auto_run auto-1core taskset -c 0 ;;
    dll) dll_run dll ;;
    dll-1core) dll_run dll-1core taskset -c 0 ;;
    jlha) jlha_run jlha ;;
    jlha-1core) jlha_run jlha-1core taskset -c 0 ;;
  esac
}
# Runs TOOL once and keeps its times (result=0 seconds=S cpu=C ...).
timed() {
  local tool=$1 l
  l=$(run_tool "$tool" | tr -d '\r')
  [[ $l == result=0* ]] || { echo "$tool failed: $l" >&2; exit 1; }
  line[$tool]=$l
  walls[$tool]+="$(sed -E 's/.*seconds=([0-9.]+).*/\1/' <<<"$l") "
  cpus[$tool]+="$(sed -E 's/.* cpu=([0-9.-]+).*/\1/' <<<"$l") "
}

tools=(auto auto-1core dll dll-1core jlha jlha-1core)
for ((round = 0; round < repeat; ++round)); do
  for ((k = 0; k < ${#tools[@]}; ++k)); do
    timed "${tools[$(((k + round) % ${#tools[@]}))]}"
  done
done
for tool in "${tools[@]}"; do
  wall[$tool]=$(tr ' ' '\n' <<<"${walls[$tool]}" | grep . | median)
  cpu[$tool]=$(tr ' ' '\n' <<<"${cpus[$tool]}" | grep . | median)
  size[$tool]=$(stat -c %s "$out/$tool.lzh")
done
echo "load after the timed rows: $(uptime)"

# Once each.
check_line=$(wine "$build/bench/lha_library_driver.exe" "$(wine_path "$out/check.lzh")" \
  "$(wine_path "$corpus")\\" 'Work\*' | tr -d '\r')
[[ $check_line == result=0* ]] || { echo "check run failed: $check_line" >&2; exit 1; }
for w in 1 2; do
  rm -f "$out/native$w.lzh"
  l=$("$native_build/bench/lha_native_driver" "$out/native$w.lzh" "$corpus" Work "$w")
  wall[native$w]=$(sed -E 's/.*seconds=([0-9.]+).*/\1/' <<<"$l")
  cpu[native$w]=$(sed -E 's/.* cpu=([0-9.]+).*/\1/' <<<"$l")
  native_check[$w]=$(sed -E 's/.*check_cpu=([0-9.]+).*/\1/' <<<"$l")
  size[native$w]=$(stat -c %s "$out/native$w.lzh")
done
read -r size[gzip] wall[gzip] cpu[gzip] < <(cd "$corpus" && python3 - <<'PY'
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
if [[ ${CEILING:-0} != 0 ]]; then
  rm -f "$out/ceiling.lzh"
  l=$(wine "$build/bench/lha_library_driver.exe" "$(wine_path "$out/ceiling.lzh")" \
    "$(wine_path "$corpus")\\" 'Work\*' "${CEILING_PASSES:-4}" "${CEILING_DEPTH:-2000}" | tr -d '\r')
  wall[ceiling]=$(sed -E 's/.*seconds=([0-9.]+).*/\1/' <<<"$l")
  cpu[ceiling]=$(sed -E 's/.*cpu=([0-9.]+).*/\1/' <<<"$l")
  size[ceiling]=$(stat -c %s "$out/ceiling.lzh")
fi

mb() { [[ $1 == - ]] && echo - || echo "scale=2; $bytes / 1000000 / $1" | bc; }
ratio() { echo "scale=$3; $1 / $2" | bc; }
row() {
  [[ -n ${size[$2]:-} ]] || return 0
  printf '%-44s %11d %8s %8s %8s %8s\n' "$1" "${size[$2]}" "${wall[$2]}" "$(mb "${wall[$2]}")" \
    "${cpu[$2]}" "$(mb "${cpu[$2]}")"
}
printf '\n%-44s %11s %8s %8s %8s %8s\n' "median of $repeat (interleaved)" "bytes" "wall s" "MB/s" \
  "CPU s" "MB/s"
row "auto: Yorudex.exe /AUTO, all cores" auto
row "auto-1core: the same on one core" auto-1core
row "dll: UNLHA32.DLL via the binding, all cores" dll
row "dll-1core: the same on one core" dll-1core
row "jlha -lh5-, level 2, all cores" jlha
row "jlha-1core: the same on one core" jlha-1core
echo "once:"
row "native: same code, Linux, 1 worker" native1
row "native: same code, Linux, 2 workers" native2
row "zlib -6 per file, payload only" gzip
row "ceiling: shortest path, ${CEILING_PASSES:-4} passes (Wine)" ceiling
echo
echo "workers: $(sed -E 's/.*workers=([0-9]+).*/\1/' <<<"$check_line") on all cores (one per core, at most 8)"
for tool in auto-1core dll dll-1core; do
  cmp -s "$out/auto.lzh" "$out/$tool.lzh" || echo "DIFFERENT: $tool.lzh is not auto.lzh byte for byte"
done
cmp -s "$out/native1.lzh" "$out/native2.lzh" || echo "DIFFERENT: native 1 and 2 workers"
echo "size  auto / jlha           = $(ratio "${size[auto]}" "${size[jlha]}" 4)   (goal <= 0.993)"
echo "speed auto / jlha         = $(ratio "${wall[jlha]}" "${wall[auto]}" 2) x wall, both on all cores; $(ratio "${wall[jlha-1core]}" "${wall[auto]}" 2) x against jlha on one core; both on one core $(ratio "${wall[jlha-1core]}" "${wall[auto-1core]}" 2) x   (goal >= 2.8 on all cores)"
echo "speed dll / jlha          = $(ratio "${wall[jlha]}" "${wall[dll]}" 2) x wall, both on all cores; $(ratio "${wall[jlha-1core]}" "${wall[dll]}" 2) x against jlha on one core; both on one core $(ratio "${wall[jlha-1core]}" "${wall[dll-1core]}" 2) x   (goal >= 4 on all cores)"
echo "speed dll, 1 core / all   = $(ratio "${wall[dll-1core]}" "${wall[dll]}" 2) x (gain of the second worker)"
echo "speed native / jlha       = $(ratio "${wall[jlha]}" "${wall[native1]}" 2) x 1 worker, $(ratio "${wall[jlha]}" "${wall[native2]}" 2) x 2 workers"
echo "size  auto / zlib-6       = $(ratio "${size[auto]}" "${size[gzip]}" 4)"
check_s=$(sed -E 's/.*check=([0-9.]+).*/\1/' <<<"$check_line")
run_s=$(sed -E 's/.*seconds=([0-9.]+).*/\1/' <<<"$check_line")
echo "check of itself           = $check_s s of a $run_s s library run ($(ratio "100 * $check_s" "$run_s" 1) %), $(ratio "100 * $check_s" "${wall[auto]}" 1) % of the whole run   (goal <= 10 %)"
echo "check of itself, Linux    = $(ratio "100 * ${native_check[1]}" "${cpu[native1]}" 1) % of the compression's CPU time (one worker: ${native_check[1]} s of ${cpu[native1]} s)"
echo "peak working set          = $(sed -E 's/.*peak_mb=([0-9.]+).*/\1/' <<<"${line[dll]}") MB (dll row, corpus)"
[[ -z ${size[ceiling]:-} ]] ||
  echo "size  ceiling / jlha      = $(ratio "${size[ceiling]}" "${size[jlha]}" 4), at $(ratio "${cpu[jlha]}" "${cpu[ceiling]}" 2) x jlha's speed (CPU)"

if [[ ${MEMORY:-0} != 0 ]]; then
  many=$root/scratch/lha-many
  if [[ ! -f $many.ready ]]; then
    echo "making $many (100,000 files)" >&2
    rm -rf "$many"
    python3 - "$many/Work" <<'PY'
import os, random, sys
root, rng = sys.argv[1], random.Random(7)
words = [b"backup ", b"folder ", b"archive ", b"settings\r\n", b"log ", b"run "]
for d in range(1000):
    folder = os.path.join(root, f"folder{d:03d}")
    os.makedirs(folder)
    for f in range(100):
        with open(os.path.join(folder, f"file{f:03d}.txt"), "wb") as out:
            out.write(b"".join(rng.choice(words) for _ in range(rng.randint(10, 150))))
PY
    touch "$many.ready"
  fi
  rm -f "$out/many.lzh"
  l=$(wine "$build/bench/lha_bench_driver.exe" "$(wine_path "$build/dist")" \
    "$(wine_path "$out/many.lzh")" "$(wine_path "$many")\\" 'Work\*' | tr -d '\r')
  peak=$(sed -E 's/.*peak_mb=([0-9.]+).*/\1/' <<<"$l")
  echo "memory, 100,000 files     = $peak MB peak working set, $(ratio "$peak * 1000000" 101000 0) bytes per entry ($l)   (goal < 64 MB)"
  # A second source of the same run: its call updates the archive the first
  # one wrote, keeping 99,900 of its entries.
  l=$(wine "$build/bench/lha_bench_driver.exe" "$(wine_path "$build/dist")" \
    "$(wine_path "$out/many.lzh")" "$(wine_path "$many")\\" 'Work\folder000\*' | tr -d '\r')
  echo "memory, 100 more onto it  = $(sed -E 's/.*peak_mb=([0-9.]+).*/\1/' <<<"$l") MB peak working set ($l)"
  rm -f "$out/many.lzh"
fi
echo "load at the end: $(uptime)"

if [[ ${VERIFY:-1} != 0 ]]; then
  echo
  "$root/tools/lha-verify" "$out/auto.lzh" "$corpus.manifest"
  [[ -z ${size[ceiling]:-} ]] || "$root/tools/lha-verify" "$out/ceiling.lzh" "$corpus.manifest"
fi
