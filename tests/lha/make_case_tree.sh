#!/bin/sh
# Makes, on the Linux side, a tree whose names differ only in case: from
# inside Wine, whose file calls ignore case, both names would open one file.
# Usage: make_case_tree.sh FOLDER
set -e
rm -rf "$1"
mkdir -p "$1/Work/Docs" "$1/Work/docs"
printf 'lower case\n' > "$1/Work/faq.html"
printf 'UPPER CASE\n' > "$1/Work/FAQ.html"
printf 'first\n' > "$1/Work/Docs/a.txt"
printf 'second\n' > "$1/Work/docs/a.txt"
