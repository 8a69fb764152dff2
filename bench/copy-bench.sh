#!/usr/bin/env bash
# Times a copy-mode backup against Wine's own xcopy, Linux cp -r and a floor,
# on two trees built in a scratch folder: many small files (10,000 files of 1
# to 16 KB in 100 folders) and a few large ones (four files of 256 MB).
#
# What is timed as the backup: `Yorudex.exe /AUTO` with a settings file that
# names the tree, once that run really copies; until then the bench driver
# (bench/copy_bench_driver.cpp), which calls the progress window's CountFiles,
# SetFileTotal and CopyTree exactly as the run does. The output says which.
# The driver also runs with each number of copies in flight of THREADS, so
# one and several are compared in the same run, and reports the counting pass
# on its own. The floor (bench/copy_floor_driver.cpp) is a bare loop of
# CopyFileW on one thread over the same tree, with no window.
#
# Goals: the backup at most 0.6 x xcopy and 1.1 x the floor on the small
# files, 1.05 x xcopy on the large ones; the counting pass under 10 % of the
# run. The machine may be shared: the load average is printed with each tree.
#
# Usage: bench/copy-bench.sh          (environment, all optional:)
#   BUILD_DIR  windows build folder      (default: build)
#   SCRATCH    where the trees go        (default: scratch/copy-bench)
#   REPEAT     timed runs of each tool   (default: 1; the median is shown)
#   TREES      "small large", or one     (default: both)
#   THREADS    copies in flight for the driver runs, 0 for the program's own
#              choice while copying (default: "0 1 2")
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${BUILD_DIR:-$root/build}" && cd "${BUILD_DIR:-$root/build}" && pwd)
scratch=${SCRATCH:-$root/scratch/copy-bench}
repeat=${REPEAT:-1}
trees=${TREES:-small large}
threads=${THREADS:-0 1 2}

source "$root/bench/build.sh"
bench_build "$build/copy-bench-build.log" copy_bench_driver copy_floor_driver Yorudex
driver=$build/bench/copy_bench_driver.exe
floor=$build/bench/copy_floor_driver.exe
program=$build/dist/Yorudex.exe

mkdir -p "$scratch"

make_small_tree() {
  local tree=$scratch/small
  [[ -f $scratch/small-10k.ready ]] && return
  rm -rf "$tree"
  echo "making $tree" >&2
  python3 - "$tree" <<'EOF'
import os, random, sys
root = sys.argv[1]
rng = random.Random(20240523)
block = os.urandom(16384)
for d in range(100):
    folder = os.path.join(root, f"folder{d:03d}")
    os.makedirs(folder)
    for f in range(100):
        size = rng.randint(1024, 16384)
        with open(os.path.join(folder, f"file{f:03d}.dat"), "wb") as out:
            out.write(block[:size])
EOF
  rm -f "$scratch/small.ready"
  touch "$scratch/small-10k.ready"
}

make_large_tree() {
  local tree=$scratch/large
  [[ -f $scratch/large.ready ]] && return
  rm -rf "$tree"
  mkdir -p "$tree"
  echo "making $tree" >&2
  for i in 1 2 3 4; do
    head -c $((256 * 1024 * 1024)) /dev/urandom > "$tree/part$i.bin"
  done
  touch "$scratch/large.ready"
}

# Z: is the Linux root in every Wine prefix.
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

now() { date +%s.%N; }

file_count() { find "$1" -type f | wc -l; }

"$root/tools/wine-session.sh" start "$build"
trap '"$root/tools/wine-session.sh" stop "$build"' EXIT
source "$root/tools/wine-env.sh" "$build"

# Settings for one unattended copy run of `source` into `destination`.
write_settings() {
  local app_dir=$1 destination=$2 source=$3
  printf '[Backup]\r\nTIME00=1200\r\nLHA_USE=0\r\nDEL_USE=0\r\nKILL_USE=0\r\nTO=%s\r\nFROM00=%s\r\n' \
    "$(winpath "$destination")" "$(winpath "$source")" > "$app_dir/Yorudex.INI"
}

# Prepares an unattended copy run of `source` into `destination`: a program
# folder of its own with the settings file.
prepare_program() {
  local source=$1 destination=$2 app_dir=$scratch/app
  rm -rf "$app_dir" "$destination"
  mkdir -p "$app_dir" "$destination"
  cp "$program" "$app_dir/Yorudex.exe"
  write_settings "$app_dir" "$destination" "$source"
}

run_program() {
  timeout 3600 wine "$scratch/app/Yorudex.exe" /AUTO </dev/null >/dev/null 2>&1 || true
}

# True when the unattended run copies `source` completely.
auto_run() {
  prepare_program "$1" "$2"
  run_program
  [[ $(file_count "$2") -eq $(file_count "$1") ]]
}

use_program=no
probe=$scratch/probe
rm -rf "$probe"
mkdir -p "$probe"
for i in 1 2 3; do echo "probe $i" > "$probe/f$i.txt"; done
if [[ -f $program ]] && auto_run "$probe" "$scratch/probe-out"; then
  use_program=yes
fi
rm -rf "$probe" "$scratch/probe-out" "$scratch/app"
if [[ $use_program == yes ]]; then
  echo "timing: Yorudex.exe /AUTO (the counting pass is timed by the bench driver)"
else
  echo "timing: the bench driver (Yorudex.exe /AUTO does not copy yet)"
fi

# One timed run of a tool into $out/<tool>; prints its seconds. Each run
# starts after a sync and writes into a fresh folder, so no run pays for the
# write-back or the deletion of another's copy.
time_tool() {
  local tool=$1 source=$2 out=$3 t0 t1 line
  sync
  case $tool in
    program)
      prepare_program "$source" "$out/program"
      sync
      t0=$(now)
      run_program
      t1=$(now) ;;
    driver-*)
      mkdir -p "$out/$tool"
      t0=$(now)
      line=$(wine "$driver" --threads="${tool#driver-}" "$(winpath "$out/$tool")" \
        "$(winpath "$source")" </dev/null 2>/dev/null)
      t1=$(now)
      [[ $line == result=ok* ]] || echo "  driver: $line" >&2
      sed -E 's/.*count_s=([0-9.]+).*/\1/' <<<"$line" >> "$out/count-times"
      sed -E 's/.*copy_s=([0-9.]+).*/\1/' <<<"$line" >> "$scratch/copy-times-$tool" ;;
    floor)
      mkdir -p "$out/floor"
      t0=$(now)
      line=$(wine "$floor" "$(winpath "$out/floor")" "$(winpath "$source")" </dev/null 2>/dev/null)
      t1=$(now)
      sed -E 's/.*copy_s=([0-9.]+).*/\1/' <<<"$line" >> "$scratch/copy-times-$tool" ;;
    xcopy)
      t0=$(now)
      wine xcopy /E /I /H /K "$(winpath "$source")" "$(winpath "$out/xcopy")" </dev/null >/dev/null 2>&1
      t1=$(now) ;;
    cp)
      t0=$(now)
      cp -r "$source" "$out/cp"
      t1=$(now) ;;
  esac
  echo "$t1 - $t0" | bc
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

bench_tree() {
  local name=$1 source=$scratch/$1 out=$scratch/out
  local files tools=() n_threads
  [[ $use_program == yes ]] && tools=(program)
  for n_threads in $threads; do tools+=("driver-$n_threads"); done
  tools+=(floor xcopy cp)
  files=$(file_count "$source")
  echo
  echo "tree $name: $files files, $(du -sh "$source" | cut -f1)"
  declare -A times=()
  rm -rf "$out"
  mkdir -p "$out"
  local counts=$scratch/count-times
  rm -f "$counts" "$scratch"/copy-times-*
  for ((run = 0; run < repeat; run++)); do
    # The order turns each round, so no tool always runs first.
    local n=${#tools[@]} i tool
    for ((i = 0; i < n; i++)); do
      tool=${tools[$(((i + run) % n))]}
      times[$tool]+="$(time_tool "$tool" "$source" "$out") "
      [[ $(file_count "$out/$tool") -eq $files ]] || echo "  $tool: copy incomplete" >&2
    done
    cat "$out/count-times" >> "$counts"
    rm -rf "$out" "$scratch/app"
    mkdir -p "$out"
  done
  rm -rf "$out"

  local tool value
  declare -A median_of=()
  for tool in "${tools[@]}"; do
    median_of[$tool]=$(tr ' ' '\n' <<<"${times[$tool]}" | grep . | median)
  done
  local count label
  count=$(median < "$counts")
  # Ratios taken within each round, then their median: the load of a shared
  # machine changes from round to round far more than within one.
  round_ratio() {
    paste -d' ' <(tr ' ' '\n' <<<"${times[$1]}" | grep .) <(tr ' ' '\n' <<<"${times[$2]}" | grep .) |
      awk '{ print $1 / $2 }' | median
  }
  for tool in "${tools[@]}"; do
    case $tool in
      program) label="Yorudex.exe /AUTO" ;;
      driver-0) label="driver, in flight chosen" ;;
      driver-*) label="driver, ${tool#driver-} in flight" ;;
      floor) label="CopyFileW loop (floor)" ;;
      xcopy) label="xcopy /E /I /H /K" ;;
      cp) label="cp -r" ;;
    esac
    printf '  %-26s %7.2f s   / xcopy %5.2f   / floor %5.2f   runs: %s\n' "$label" \
      "${median_of[$tool]}" "$(round_ratio "$tool" xcopy)" "$(round_ratio "$tool" floor)" \
      "$(tr ' ' '\n' <<<"${times[$tool]}" | grep . | xargs printf '%.2f ')"
    # The copying pass alone, timed inside the process: no start-up, no window.
    [[ -f $scratch/copy-times-$tool ]] &&
      printf '  %-26s %7.2f s   (copying pass inside the process)\n' "" \
        "$(median < "$scratch/copy-times-$tool")"
  done
  local first_driver=driver-${threads%% *}
  printf '  counting pass %.2f s = %.1f %% of a driver run\n' "$count" \
    "$(echo "100 * $count / ${median_of[$first_driver]}" | bc -l)"
  if [[ $name == large ]]; then
    echo "  goal: the backup <= 1.05 x xcopy"
  else
    echo "  goal: the backup <= 0.6 x xcopy and <= 1.1 x the floor"
  fi
  echo "  (seconds: median of $repeat runs each, runs in round order; ratios: median of the"
  echo "   rounds' own ratios; load average now $(cut -d' ' -f1-3 /proc/loadavg))"
}

for tree in $trees; do
  "make_${tree}_tree"
  bench_tree "$tree"
done
