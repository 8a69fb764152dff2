#!/usr/bin/env bash
# Takes a screenshot of the notification an unattended run shows when it
# fails, for the README: docs/screenshots/notification.png. The shipped
# program runs /AUTO under Xvfb in Wine's desktop window (whose task bar
# holds the notification area), with a destination that does not exist and
# a month log whose last good run is six days old.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
tools/setup-deps.sh
tools/build.sh windows >/dev/null 2>&1 || tools/build.sh windows
work="$root/build/screenshot-notification"
rm -rf "$work" && mkdir -p "$work/program/log" docs/screenshots
cp build/dist/Yorudex.exe "$work/program/"
tools/wine-session.sh start build
source tools/wine-env.sh build
trap 'tools/wine-session.sh stop build' EXIT
printf '[Backup]\r\nTO=D:\\Backup\r\nFROM00=C:\\Users\\yamada\\Documents\r\n' \
  > "$work/program/Yorudex.INI"
six_days_ago=$(date -d '6 days ago 12:00' '+%y/%m/%d %H:%M:%S')
{
  printf 'START=%s\r\n\t' "$six_days_ago"
  printf 'バックアップ正常終了\r\n\t処理時間=00:00:04\r\n' | iconv -f UTF-8 -t CP932
  printf 'END=%s\r\n' "$six_days_ago"
} > "$work/program/log/$(date -d '6 days ago' +%y%m).log"
# A desktop of 640 x 240 with a task bar: the balloon rises from its corner.
wine explorer /desktop=Yorudex,640x240 "$work/program/Yorudex.exe" /AUTO &
for _ in $(seq 100); do
  xdotool search --name "Yorudex" >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 3
window=$(xdotool search --name "Yorudex - Wine" | head -1)
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" docs/screenshots/notification.png
wait
echo "docs/screenshots/notification.png"
