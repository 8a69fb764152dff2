#!/usr/bin/env bash
# Takes a screenshot of the notification an unattended run shows when it
# fails, for the README: docs/screenshots/notification.png. The shipped
# program runs /AUTO under Xvfb, where Wine shows its notification area as a
# small window of its own (Wine System Tray) at the top left, with a
# destination that does not exist and a month log whose last good run is six
# days old.
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
wine "$work/program/Yorudex.exe" /AUTO &
for _ in $(seq 100); do
  xdotool search --name "Wine System Tray" >/dev/null 2>&1 && break
  sleep 0.1
done
# Wine raises the balloon about two seconds after the icon; it stays six.
sleep 3
import -window root -crop 410x120+0+0 docs/screenshots/notification.png
wait
echo "docs/screenshots/notification.png"
