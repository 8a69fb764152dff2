#!/usr/bin/env bash
# The main job, on a fresh Debian 12 machine: installs what is missing, builds,
# and runs an unattended backup (Yorudex.exe /AUTO under Wine) of a small
# sample tree into a sample destination under scratch/demo, once copying and
# once packing into an LHA archive; then prints the run log and the backup
# tree. With --window it opens the settings window instead and saves a
# screenshot of it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
tools/setup-deps.sh
tools/build.sh windows >/dev/null 2>&1 || tools/build.sh windows

demo="$root/scratch/demo"
rm -rf "$demo"
mkdir -p "$demo/program" "$demo/dest"
cp build/dist/* "$demo/program/"

# The sample tree: a few documents, a Japanese folder name whose last byte in
# Shift-JIS is a backslash (表), an empty folder.
mkdir -p "$demo/sample/Documents/reports" "$demo/sample/予定表" "$demo/sample/Documents/empty"
printf 'quarterly figures\r\n' > "$demo/sample/Documents/reports/q1.txt"
seq 1 20000 > "$demo/sample/Documents/numbers.txt"
printf '会議\r\n' | iconv -f UTF-8 -t CP932 > "$demo/sample/予定表/12月.txt"
# Old backups for the retention sweep to remove: a month folder of last year.
old=$(date -d '-400 days' +%y%m)
mkdir -p "$demo/dest/$old/01/0900/Documents"

tools/wine-session.sh start build
source tools/wine-env.sh build
trap 'tools/wine-session.sh stop build' EXIT
win() { winepath -w "$1" 2>/dev/null; }

write_settings() {  # $1 = LHA_USE
  {
    printf '[Backup]\r\nLHA_USE=%s\r\nKILL_USE=1\r\nKILL_VAL=6\r\nKILL_MONTH=1\r\n' "$1"
    printf 'TO=%s\r\nFROM00=%s\r\nFROM01=%s\r\n' "$(win "$demo/dest")" \
      "$(win "$demo/sample/Documents")" "$(win "$demo/sample/予定表")"
  } | iconv -f UTF-8 -t CP932 > "$demo/program/Yorudex.INI"
}

if [[ ${1:-} == --window ]]; then
  write_settings 0
  wine "$demo/program/Yorudex.exe" &
  sleep 3
  import -window root "$demo/window.png"
  echo "The settings window is open on display $DISPLAY; a screenshot is in $demo/window.png."
  echo "Press Enter to close it."
  read -r _ || true
  wineserver -k
  exit 0
fi

echo "== copy run: wine Yorudex.exe /AUTO"
write_settings 0
wine "$demo/program/Yorudex.exe" /AUTO
echo "exit status $?"
# The archive goes into the day folder, beside the copy run's time folder.
if [[ -f "$demo/program/UNLHA32.DLL" ]]; then
  echo "== archive run: wine Yorudex.exe /AUTO (LHA_USE=1)"
  write_settings 1
  wine "$demo/program/Yorudex.exe" /AUTO
  echo "exit status $?"
fi

echo
echo "== run log ($(ls "$demo/program/log"))"
iconv -f CP932 -t UTF-8 "$demo/program/log/"*.log | sed 's/\r$//'
echo
echo "== backup tree under $demo/dest"
(cd "$demo/dest" && find . | sort)
for a in $(find "$demo/dest" -name '*.lzh'); do
  echo
  echo "== $(basename "$a") as lhasa lists it"
  lha l "$a"
done
