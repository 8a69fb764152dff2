#!/bin/sh
# Archives, with jlha in C.UTF-8 (Java reads the file names there), names it stores in neither Shift-JIS
# nor UTF-8 (Latin-1 e-acute), next to a plain one; nothing when jlha is not
# installed. Usage: make_jlha_names.sh FOLDER
set -e
rm -rf "$1"
mkdir -p "$1/Work"
command -v jlha >/dev/null || exit 0
printf 'cafe\n' > "$1/Work/café.txt"
printf 'plain\n' > "$1/Work/plain.txt"
cd "$1" && LC_ALL=C.UTF-8 jlha a2q names.lzh Work >/dev/null
