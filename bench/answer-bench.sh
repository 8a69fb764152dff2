#!/usr/bin/env bash
# How long the window's thread takes to answer while a run goes on: an
# unattended archive run (Yorudex.exe /AUTO, LHA_USE=1) of the corpus of
# tools/lha-corpus, its bare window probed by bench/answer_probe.cpp with
# WM_NULL every 20 ms from the start of the window to its end. Prints the
# probe's figures (count, median, 99th percentile, longest) and the load.
#
# Goal: every answer within 100 ms.
#
# Usage: bench/answer-bench.sh   (environment, all optional:)
#   BUILD_DIR  windows build folder                    (default: build)
#   CORPUS     corpus folder, made when missing        (default: scratch/lha-corpus)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${BUILD_DIR:-$root/build}" && cd "${BUILD_DIR:-$root/build}" && pwd)
corpus=${CORPUS:-$root/scratch/lha-corpus}
out=$build/answer-bench
rm -rf "$out" && mkdir -p "$out"

source "$root/bench/build.sh"
bench_build "$out/build.log" answer_probe unlha32_dll Yorudex
source "$root/bench/corpus.sh"

source "$root/bench/wine-desktop.sh"
wine_path() { echo "Z:${1//\//\\}"; }

app=$out/app
mkdir -p "$app" "$out/dest"
cp "$build/dist/Yorudex.exe" "$build/dist/UNLHA32.DLL" "$app/"
printf '[Backup]\r\nTIME00=1200\r\nTO=%s\r\nFROM00=%s\r\nLHA_USE=1\r\n' \
  "$(wine_path "$out/dest")" "$(wine_path "$corpus/Work")" >"$app/Yorudex.INI"

echo "load before: $(uptime)"
# The probe waits for the window; given a head start, it is ready when the
# window comes (the script's one wait by the clock, outside any test).
wine "$build/bench/answer_probe.exe" YorudexUnattended >"$out/probe" 2>&1 &
probe=$!
sleep 3
wine "$app/Yorudex.exe" /AUTO </dev/null >/dev/null 2>&1 || true
wait "$probe" || true
echo "load after: $(uptime)"
[[ -n $(find "$out/dest" -name '*.lzh') ]] || { echo "the /AUTO run made no archive" >&2; exit 1; }
echo "window answers during an archive run of $(du -sh "$corpus/Work" | cut -f1): $(cat "$out/probe")"
