#!/usr/bin/env bash
# How much an unattended run costs beyond the start and end of any Windows
# program: Yorudex.exe /AUTO backing up a one-file source in copy mode (the
# shipped UNLHA32.DLL beside it, as users have it), against
# bench/empty_program.cpp built the same way and run under the same Wine
# session: once returning at once, once showing a minimised window first
# (what Wine adds for any program with a window: its display driver, the
# connection to the X server). They run interleaved, REPEAT times each; the medians, their ratio and the load of the machine are
# printed. Times are by the clock from outside (the whole `wine` command),
# with the CPU time of the `wine` process from /usr/bin/time beside.
#
# Goal: the /AUTO run at most 1.25 x the empty program.
#
# Usage: bench/auto-start-bench.sh   (environment, all optional:)
#   BUILD_DIR  windows build folder   (default: build)
#   REPEAT     runs of each           (default: 15)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${BUILD_DIR:-$root/build}" && cd "${BUILD_DIR:-$root/build}" && pwd)
repeat=${REPEAT:-15}
out=$build/auto-start-bench
rm -rf "$out" && mkdir -p "$out"

source "$root/bench/build.sh"
bench_build "$out/build.log" empty_program unlha32_dll Yorudex

source "$root/bench/wine-desktop.sh"
wine_path() { echo "Z:${1//\//\\}"; }

app=$out/app
mkdir -p "$app" "$out/src/Work"
cp "$build/dist/Yorudex.exe" "$build/dist/UNLHA32.DLL" "$app/"
printf 'one file\r\n' >"$out/src/Work/a.txt"

# Prints "wall cpu" of one run of the command.
timed() {
  local t0 t1
  t0=$(date +%s%N)
  /usr/bin/time -o "$out/time" -f '%U %S' "$@" </dev/null >/dev/null 2>&1 || true
  t1=$(date +%s%N)
  echo "$(((t1 - t0) / 1000000)) $(awk '{printf "%d", ($1 + $2) * 1000}' "$out/time")"
}
auto_run() {
  rm -rf "$out/dest" "$app/log"
  mkdir -p "$out/dest"
  printf '[Backup]\r\nTIME00=1200\r\nTO=%s\r\nFROM00=%s\r\n' "$(wine_path "$out/dest")" \
    "$(wine_path "$out/src/Work")" >"$app/Yorudex.INI"
  timed wine "$app/Yorudex.exe" /AUTO
  [[ -n $(find "$out/dest" -path '*/Work/a.txt') ]] || { echo "the /AUTO run made no copy" >&2; exit 1; }
}
empty_run() { timed wine "$build/bench/empty_program.exe"; }
window_run() { timed wine "$build/bench/empty_program.exe" /WINDOW; }

# Once each first: Wine maps the programs and their libraries into the cache.
empty_run >/dev/null
window_run >/dev/null
auto_run >/dev/null
echo "load before: $(uptime)"
for ((i = 0; i < repeat; ++i)); do
  if ((i % 2)); then
    auto_run >>"$out/auto"
    window_run >>"$out/window"
    empty_run >>"$out/empty"
  else
    empty_run >>"$out/empty"
    window_run >>"$out/window"
    auto_run >>"$out/auto"
  fi
done
echo "load after: $(uptime)"
median() { cut -d' ' -f"$1" "$2" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
printf '%-40s %8s %8s\n' "median of $repeat (interleaved)" "wall ms" "CPU ms"
printf '%-40s %8s %8s\n' "empty program" "$(median 1 "$out/empty")" "$(median 2 "$out/empty")"
printf '%-40s %8s %8s\n' "empty program with a minimised window" "$(median 1 "$out/window")" \
  "$(median 2 "$out/window")"
printf '%-40s %8s %8s\n' "Yorudex.exe /AUTO, one file" "$(median 1 "$out/auto")" \
  "$(median 2 "$out/auto")"
echo "auto / empty = $(echo "scale=2; $(median 1 "$out/auto") / $(median 1 "$out/empty")" | bc) x wall, $(echo "scale=2; $(median 2 "$out/auto") / $(median 2 "$out/empty")" | bc) x CPU   (goal <= 1.25 wall)"
echo "auto / window = $(echo "scale=2; $(median 1 "$out/auto") / $(median 1 "$out/window")" | bc) x wall"
