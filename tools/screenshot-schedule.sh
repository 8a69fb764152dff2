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
source tools/window-shot.sh
work="$WINEPREFIX/drive_c/Tools"
trap 'rm -rf "$work"; tools/wine-session.sh stop build' EXIT
rm -rf "$work" && mkdir -p "$work/Yorudex" docs/screenshots
cp build/dist/Yorudex.exe build/dist/YorudexSchedule.exe "$work/Yorudex/"
printf '[Backup]\r\nTIME00=1200\r\nTIME01=1830\r\nWEEK_SAT=0\r\nWEEK_SUN=0\r\n' > "$work/Yorudex/Yorudex.INI"
wine 'C:\Tools\Yorudex\YorudexSchedule.exe' /REMOVE
wine 'C:\Tools\Yorudex\YorudexSchedule.exe' &
find_window "Yorudex 起動スケジュール"
sleep 1
shoot docs/screenshots/schedule.png
wineserver -k
echo "docs/screenshots/schedule.png"
