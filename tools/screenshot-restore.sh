#!/usr/bin/env bash
# Takes a screenshot of YorudexRestore.exe's window under Xvfb, for the
# README: docs/screenshots/restore.png. Three backups of a small tree are made
# in C:\Tools of the build's Wine prefix (two copy runs and an archive run, at
# fixed times through the test build's settable clock, with the file changed
# between them), the window opens on them, and the keyboard picks one file
# and shows its versions. The folder is removed after.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-deps.sh
tools/build.sh windows >/dev/null 2>&1 || tools/build.sh windows
tools/wine-session.sh start build
source tools/wine-env.sh build
source tools/window-shot.sh
work="$WINEPREFIX/drive_c/Tools"
trap 'rm -rf "$work"; tools/wine-session.sh stop build' EXIT
rm -rf "$work" && mkdir -p "$work/Yorudex" "$work/Data/書類/見積" "$work/Backup" docs/screenshots
cp build/testbin/YorudexTestClock.exe "$work/Yorudex/Yorudex.exe"
cp build/dist/YorudexRestore.exe build/dist/UNLHA32.DLL "$work/Yorudex/"
printf 'draft\r\n' > "$work/Data/書類/見積/見積書.txt"
printf 'notes\r\n' > "$work/Data/書類/メモ.txt"
backup() {  # time, archive mode
  printf '[Backup]\r\nTO=C:\\Tools\\Backup\r\nFROM00=C:\\Tools\\Data\\%s\r\nLHA_USE=%s\r\n' \
    "$(printf '書類' | iconv -f UTF-8 -t CP932)" "$2" > "$work/Yorudex/Yorudex.INI"
  YX_TEST_NOW="$1" wine 'C:\Tools\Yorudex\Yorudex.exe' /AUTO
}
backup "2026-01-05 09:05:00" 0
printf 'draft, second go\r\n' > "$work/Data/書類/見積/見積書.txt"
backup "2026-01-06 09:05:00" 1
backup "2026-01-07 09:05:00" 0
wine 'C:\Tools\Yorudex\YorudexRestore.exe' &
find_window "Yorudex 復元"
sleep 1
# The tree, the first folder opened down to the estimate, then 版を表示.
for key in Tab Home Right Down Right Down Tab Tab space; do
  xdotool key --window "$window" "$key"
  sleep 0.2
done
sleep 1
shoot docs/screenshots/restore.png
wineserver -k
echo "docs/screenshots/restore.png"
