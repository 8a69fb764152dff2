#!/usr/bin/env bash
# Takes a screenshot of YorudexSchedule.exe's window under Xvfb, for the
# README: docs/screenshots/schedule.png. The program lies in C:\Tools\Yorudex
# of the build's Wine prefix with the README's example settings (weekdays at
# 12:00 and 18:30); nothing is registered, and the folder is removed after.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-deps.sh
tools/build.sh windows >/dev/null 2>&1 || tools/build.sh windows
tools/wine-session.sh start build
source tools/wine-env.sh build
work="$WINEPREFIX/drive_c/Tools"
trap 'rm -rf "$work"; tools/wine-session.sh stop build' EXIT
rm -rf "$work" && mkdir -p "$work/Yorudex" docs/screenshots
cp build/dist/Yorudex.exe build/dist/YorudexSchedule.exe "$work/Yorudex/"
printf '[Backup]\r\nTIME00=1200\r\nTIME01=1830\r\nWEEK_SAT=0\r\nWEEK_SUN=0\r\n' > "$work/Yorudex/Yorudex.INI"
wine 'C:\Tools\Yorudex\YorudexSchedule.exe' /REMOVE
wine 'C:\Tools\Yorudex\YorudexSchedule.exe' &
# The application's own zero-sized window carries the same title: take the
# one of real size.
window=
for _ in $(seq 50); do
  for id in $(xdotool search --name "Yorudex 起動スケジュール" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    if ((WIDTH > 100)); then window=$id; break 2; fi
  done
  sleep 0.1
done
[[ -n $window ]] || { echo "no window" >&2; exit 1; }
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" docs/screenshots/schedule.png
wineserver -k
echo "docs/screenshots/schedule.png"
