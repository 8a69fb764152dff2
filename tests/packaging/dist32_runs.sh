#!/usr/bin/env bash
# The shipped 32-bit program run for real, as a scheduler runs it: the
# Yorudex.exe of build/dist32 (tools/build.sh windows32) with /AUTO, once
# copying a tree and once packing it with the 32-bit UNLHA32.DLL beside it.
# The log is read back (the program's own clock: the stamps are checked for
# their form and agree with the folder or archive the run made), the copy is
# compared with its source, and the archive is tested and extracted by lhasa.
# Runs in the Wine session of BUILD_DIR (the CTest fixture starts it).
#   dist32_runs.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
dist=$build/dist32
if [[ ! -f $dist/Yorudex.exe || ! -f $dist/UNLHA32.DLL ]]; then
  echo "no 32-bit build in $dist: run tools/build.sh windows32" >&2
  exit 77
fi
work=$build/dist32-runs
rm -rf "$work"
failures=0
fail() { echo "FAIL ($mode): $*" >&2; failures=$((failures + 1)); }

# The source: text, binary data over the 8 KiB window, an empty folder, and
# (copied only: lhasa writes the archive's CP932 names as they are) a name
# whose second byte in CP932 is a backslash.
make_source() {
  local src=$1
  mkdir -p "$src/sub/deeper" "$src/empty"
  printf 'alpha\r\n' > "$src/a.txt"
  for i in $(seq 1 3000); do printf 'line %d of the 32-bit run\n' $((i % 97)); done > "$src/sub/b.txt"
  head -c 50000 /dev/zero | tr '\0' '\267' > "$src/sub/deeper/c.bin"
}

# Wine's path of a Linux path (Z: is the Linux root), CP932 for the settings file.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# run_auto DIR EXTRA_KEYS [UNLHA32.DLL]
run_auto() {
  local dir=$1 extra=$2
  mkdir -p "$dir/program" "$dir/dest"
  cp "$dist/Yorudex.exe" "${@:3}" "$dir/program/"
  printf '[Backup]\r\nTO=%s\r\nFROM00=%s\r\n%s' "$(winpath "$dir/dest")" \
    "$(winpath "$dir/src/Work")" "$extra" | iconv -f UTF-8 -t CP932 > "$dir/program/Yorudex.INI"
  local status=0
  "$root/tools/wine-run.sh" "$build" "$dir/program/Yorudex.exe" /AUTO || status=$?
  [[ $status == 0 ]] || fail "exit status $status"
}

# The log's four lines (five for an archive run); sets month, day and time to
# the start stamp's folder names (yymm, dd, hhnn).
read_log() {
  local dir=$1 logs
  logs=("$dir"/program/log/*.log)
  [[ ${#logs[@]} == 1 && -f ${logs[0]} ]] || { fail "not one log: ${logs[*]}"; return 1; }
  local text
  text=$(iconv -f CP932 -t UTF-8 "${logs[0]}")
  local stamp='([0-9]{2})/([0-9]{2})/([0-9]{2}) ([0-9]{2}):([0-9]{2}):[0-9]{2}'
  # An archive run says what it packed before its outcome.
  local packed="([0-9,]+ 件を圧縮しました \(アーカイブ [0-9.,]+ [KMG]?B\)"$'\r\n\t'")?"
  local pattern="^START=$stamp"$'\r\n\t'"${packed}バックアップ正常終了"$'\r\n\t'"処理時間=[0-9]{2}:[0-9]{2}:[0-9]{2}"$'\r\n'"END=$stamp"$'\r'"$"
  if [[ ! $text =~ $pattern ]]; then
    fail "log: $text"
    return 1
  fi
  local m=("${BASH_REMATCH[@]}")
  [[ $mode == archive && -z ${m[6]} ]] && fail "no line of what the archive run packed: $text"
  [[ $(basename "${logs[0]}") == "${m[1]}${m[2]}.log" ]] || fail "log file ${logs[0]} for ${m[0]}"
  month=${m[1]}${m[2]} day=${m[3]} time=${m[4]}${m[5]}
}

mode=copy
dir=$work/copy
make_source "$dir/src/Work"
mkdir -p "$dir/src/Work/$(printf '\xe3\x82\xbd\xe8\xa1\xa8')"  # ソ表
printf 'so\r\n' > "$dir/src/Work/$(printf '\xe3\x82\xbd\xe8\xa1\xa8')/$(printf '\xe8\xa1\xa8').txt"
# Links off: a copy run then logs the four lines read_log expects.
run_auto "$dir" $'LINK_USE=0\r\n'
if read_log "$dir"; then
  diff -r "$dir/src/Work" "$dir/dest/$month/$day/$time/Work" >&2 || fail "the copy differs"
  # Linked through the 32-bit call of the system's own: the backup, moved to a
  # minute of 2000 with its catalog, is the base of a second run whose
  # unchanged files must be second names of it.
  mkdir -p "$dir/dest/0001/01"
  mv "$dir/dest/$month/$day/$time" "$dir/dest/0001/01/0000"
  mv "$dir/dest/$month/$day/$time.catalog" "$dir/dest/0001/01/0000.catalog"
  rm -rf "$dir/program/log"
  run_auto "$dir" $'LINK_USE=1\r\n'
  links=$(stat -c %h "$dir/dest/0001/01/0000/Work/sub/b.txt")
  [[ $links == 2 ]] || fail "the second run linked nothing: $links name(s)"
fi

mode=archive
dir=$work/archive
make_source "$dir/src/Work"
run_auto "$dir" $'LHA_USE=1\r\n' "$dist/UNLHA32.DLL"
if read_log "$dir"; then
  archive=$dir/dest/$month/$day/${month}${day}_$time.lzh
  if [[ ! -f $archive ]]; then
    fail "no archive $archive"
  else
    lhasa tq "$archive" >&2 || fail "lhasa finds a bad entry"
    mkdir -p "$dir/out"
    lhasa "xqw=$dir/out" "$archive" >&2 || fail "lhasa cannot extract"
    diff -r "$dir/src/Work" "$dir/out/Work" >&2 || fail "the extracted tree differs"
  fi
fi

((failures == 0)) && echo "dist32: copy and archive runs of the 32-bit program held"
((failures == 0))
