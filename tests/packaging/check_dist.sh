#!/usr/bin/env bash
# Checks a folder of shipped files as a user's Windows would load them:
#   check_dist.sh <folder> 64|32 [zip]
# and, given the zip, that it holds the guide ﾍﾙﾌﾟ opens and every picture the
# guide shows.
# The program, its schedule and restore companions and the library are of the given
# machine type, the programs GUI ones; they import only system libraries (ntdll,
# loaded in every process, included; a
# static build: no compiler runtime DLL that the user would have to find; the
# companion also the COM ones of the Task Scheduler); the library exports the
# three entry points by their plain names, as callers that look them up by
# name (GetProcAddress "Unlha") expect, never stdcall-decorated ("_Unlha@16").
set -euo pipefail
dir=$1 bits=$2 zip=${3:-}
case $bits in
  64) objdump=x86_64-w64-mingw32-objdump machine='x86-64' format=PE32+ ;;
  32) objdump=i686-w64-mingw32-objdump machine='Intel 80386' format=PE32 ;;
  *) echo "usage: $0 <folder> 64|32" >&2; exit 2 ;;
esac
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

for f in Yorudex.exe YorudexSchedule.exe YorudexRestore.exe UNLHA32.DLL; do
  [[ -f $dir/$f ]] || { fail "$dir/$f is missing"; continue; }
  kind=$(file -b "$dir/$f")
  [[ $kind == "$format "* && $kind == *"$machine"* ]] || fail "$f: $kind"
  while read -r dll; do
    case ${dll,,} in
      kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|shell32.dll|advapi32.dll|msvcrt.dll|ntdll.dll) ;;
      ole32.dll|oleaut32.dll) [[ $f == YorudexSchedule.exe ]] || fail "$f imports $dll" ;;
      *) fail "$f imports $dll" ;;
    esac
  done < <("$objdump" -p "$dir/$f" | sed -n 's/^\tDLL Name: //p')
done
for f in Yorudex.exe YorudexSchedule.exe YorudexRestore.exe; do
  [[ ! -f $dir/$f || $(file -b "$dir/$f") == *"(GUI)"* ]] || fail "$f is not a GUI program"
done

exports=$("$objdump" -p "$dir/UNLHA32.DLL" |
  sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/s/^\t\[ *[0-9]*\] //p' | sort | tr '\n' ' ')
# Exactly the names of the .def file, undecorated.
expected=$(sed -n 's/^  \(Unlha[A-Za-z]*\)$/\1/p' "$(dirname "$0")/../../lha/dll/unlha32.def" | sort |
  tr '\n' ' ')
[[ $exports == "$expected" ]] || fail "UNLHA32.DLL exports: $exports"

if [[ -n $zip ]]; then
  listing=$(bsdtar -tf "$zip")
  for f in 使い方.html 使い方.txt $(grep -o 'src="[^"]*"' "$(dirname "$0")/../../packaging/使い方.html" |
      sed 's/^src="//; s/"$//'); do
    grep -qxF "Yorudex/$f" <<<"$listing" || fail "$zip has no Yorudex/$f"
  done
fi

if ((failures)); then exit 1; fi
echo "ok: $dir ($bits-bit)"
