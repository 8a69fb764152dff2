#!/usr/bin/env bash
# How long the restore window's thread takes to answer while it opens on a
# large destination: BACKUPS copy backups of FILES files each (one tree of
# small files, the others hard links to it), YorudexRestore.exe opened on
# it and probed by bench/answer_probe.cpp with WM_NULL every 20 ms for
# PROBE_MS, then closed. Prints the probe's figures and the load.
#
# Goal: every answer within 100 ms.
#
# Usage: bench/restore-answer-bench.sh   (environment, all optional:)
#   BUILD_DIR  windows build folder          (default: build)
#   BACKUPS    backups in the destination    (default: 365)
#   FILES      files in each backup          (default: 20000)
#   PROBE_MS   how long the window is probed (default: 30000)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${BUILD_DIR:-$root/build}" && cd "${BUILD_DIR:-$root/build}" && pwd)
backups=${BACKUPS:-365}
files=${FILES:-20000}
probe_ms=${PROBE_MS:-30000}
out=$build/restore-answer-bench
rm -rf "$out" && mkdir -p "$out"

echo "building in $build" >&2
{
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" &&
    cmake --build "$build" -j2 --target answer_probe YorudexRestore
} >"$out/build.log" 2>&1 || { cat "$out/build.log" >&2; exit 1; }

# One backup a day from 2024-01-01, 12:00, each holding Work\dNN\fNNNNN.txt.
first=$out/dest/2401/01/1200/Work
for ((i = 0; i < files; ++i)); do
  d=$first/d$((i / 500))
  [[ -d $d ]] || mkdir -p "$d"
  printf '%d\n' "$i" >"$d/f$i.txt"
done
for ((b = 1; b < backups; ++b)); do
  day=$(date -u -d "2024-01-01 +$b days" +%y%m/%d)
  mkdir -p "$out/dest/$day/1200"
  cp -al "$first" "$out/dest/$day/1200/Work"
done

source "$root/bench/wine-desktop.sh"
wine_path() { echo "Z:${1//\//\\}"; }
app=$out/app
mkdir -p "$app"
cp "$build/dist/YorudexRestore.exe" "$app/"
printf '[Backup]\r\nTO=%s\r\n' "$(wine_path "$out/dest")" >"$app/Yorudex.INI"

echo "load before: $(uptime)"
wine "$build/bench/answer_probe.exe" YorudexRestore 20 "$probe_ms" >"$out/probe" 2>&1 &
probe=$!
sleep 3
wine "$app/YorudexRestore.exe" </dev/null >/dev/null 2>&1 || true
wait "$probe" || true
echo "load after: $(uptime)"
echo "restore window answers, $backups backups of $files files: $(cat "$out/probe")"
