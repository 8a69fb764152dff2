#!/usr/bin/env bash
# Takes a screenshot of each page of the settings window under Xvfb, for the
# README: docs/screenshots/page-{time,path,exclude,save,log}.png at 96 DPI,
# and the LOG page again at 192 DPI (200 %): page-log-192.png.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
tools/setup-deps.sh
tools/build.sh windows >/dev/null 2>&1 || tools/build.sh windows
work="$root/build/screenshots"
rm -rf "$work" && mkdir -p "$work/program" "$work/drive-d/Backup" docs/screenshots
cp build/dist/* "$work/program/"
tools/wine-session.sh start build
source tools/wine-env.sh build
# The pictures show the folders of a user, not of the build machine: D: is a
# folder of the run, and the sources lie in a user's folder on C:. Both go
# again when the run ends.
user_dir="$WINEPREFIX/drive_c/users/yamada"
ln -sfn "$work/drive-d" "$WINEPREFIX/dosdevices/d:"
cleanup() {
  tools/wine-session.sh stop build
  rm -f "$WINEPREFIX/dosdevices/d:"
  rm -rf "$user_dir"
}
trap cleanup EXIT
for folder in Documents Pictures "Desktop/見積書"; do
  mkdir -p "$user_dir/$folder"
  printf 'sample\r\n' > "$user_dir/$folder/memo.txt"
done
{
  printf '[Backup]\r\nTIME00=1200\r\nTIME01=1830\r\nWEEK_SAT=0\r\nWEEK_SUN=0\r\nDEL_SUN=0\r\n'
  printf 'DEL_USE=1\r\nKILL_USE=1\r\nKILL_VAL=3\r\nKILL_MONTH=1\r\nTO=D:\\Backup\\\r\n'
  printf 'FROM00=C:\\Users\\yamada\\Documents\r\nFROM01=C:\\Users\\yamada\\Pictures\r\n'
  printf 'FROM02=C:\\Users\\yamada\\Desktop\\見積書\r\n'
  printf 'EXCL00=~$*\r\nEXCL01=*.tmp\r\nEXCL02=Thumbs.db\r\nEXCL03=desktop.ini\r\n'
  printf 'EXCL04=node_modules\\\r\nEXCL05=Work\\cache\\*\r\nEXCL_SIZE=4096\r\n'
} | iconv -f UTF-8 -t CP932 > "$work/program/Yorudex.INI"
wine "$work/program/Yorudex.exe" /AUTO   # one run, so that the log page has lines
wine "$work/program/Yorudex.exe" &
# The window is centred on the 2048 x 1536 screen: client 411 x 319 under a
# caption; the tabs run along the top of the page control.
for _ in $(seq 50); do
  xdotool search --name "起動日時設定" >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 1
geometry=$(xdotool search --name "起動日時設定" getwindowgeometry --shell | tr '\n' ' ')
eval "$geometry"
shoot() {  # tab x-offset, name
  xdotool mousemove $((X + $1)) $((Y + 18 + 48 + 12)) click 1
  sleep 0.5
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "docs/screenshots/page-$2.png"
}
shoot 24 time
shoot 76 path
shoot 128 exclude
shoot 180 save
shoot 230 log
# At 200 %: Wine takes LogPixels at each program's start. The window opens
# on its LOG page.
wineserver -k
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f >/dev/null
wine "$work/program/Yorudex.exe" &
sleep 2
eval "$(xdotool search --name "起動日時設定" getwindowgeometry --shell | tr '\n' ' ')"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" docs/screenshots/page-log-192.png
wineserver -k
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null
echo "docs/screenshots/: $(ls docs/screenshots | tr '\n' ' ')"
