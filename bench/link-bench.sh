#!/usr/bin/env bash
# Times copy-mode backups that link unchanged files to the previous backup
# (LINK_USE=1) on a tree of 10,000 small files (1 to 16 KB in 100 folders)
# plus 20 files of 50 MB, built in a scratch folder. Each round, with a fresh
# destination:
#   first    Yorudex.exe /AUTO: the first backup, every file copied
#   second   the same tree again: every file linked
#   floor    a bare loop of CreateHardLinkW over the same files, into the
#            same destination (copy_floor_driver --link)
#   changed  1 % of the small files rewritten: those copied, the rest linked
# Every run is timed from outside, Wine's start included, with Wine's desktop
# process kept running as on a user's desktop. A first round, not counted,
# pays for what the machine did before; every round's folders are removed
# only at the end. Between runs the
# backup just made is moved to an earlier time folder (0001\01\hhnn), as if
# made minutes before: two runs in one minute would share their folder name.
# Then, for memory, the second run's peak working set on this tree and on a
# tree of a tenth of its small files.
#
# Goals: second <= 0.25 x first and <= 1.2 x the floor, the destination
# grows by < 1 % of the tree on the second run; changed <= 0.3 x first;
# memory flat in the number of files.
#
# Usage: bench/link-bench.sh          (environment, all optional:)
#   BUILD_DIR  windows build folder      (default: build)
#   SCRATCH    where the trees go        (default: build/link-bench)
#   REPEAT     rounds                    (default: 1; medians are shown)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${BUILD_DIR:-$root/build}" && cd "${BUILD_DIR:-$root/build}" && pwd)
scratch=${SCRATCH:-$build/link-bench}
repeat=${REPEAT:-1}

source "$root/bench/build.sh"
bench_build "$build/link-bench-build.log" copy_floor_driver Yorudex empty_program
floor=$build/bench/copy_floor_driver.exe
program=$build/dist/Yorudex.exe

# src/Work: `folders` folders of 100 files of 1 to 16 KB; `large` files of 50 MB.
make_tree() {
  local tree=$1 folders=$2 large=$3
  [[ -f $tree.ready ]] && return
  rm -rf "$tree"
  echo "making $tree" >&2
  python3 - "$tree/Work" "$folders" "$large" <<'PY'
import os, random, sys
root, folders, large = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rng = random.Random(20240523)
block = os.urandom(16384)
for d in range(folders):
    folder = os.path.join(root, f"folder{d:03d}")
    os.makedirs(folder)
    for f in range(100):
        with open(os.path.join(folder, f"file{f:03d}.dat"), "wb") as out:
            out.write(block[:rng.randint(1024, 16384)])
if large:
    os.makedirs(os.path.join(root, "large"))
    chunk = os.urandom(1 << 20)
    for i in range(large):
        with open(os.path.join(root, "large", f"part{i:02d}.bin"), "wb") as out:
            for _ in range(50):
                out.write(chunk)
PY
  touch "$tree.ready"
}

winpath() { local p=${1//\//\\}; echo "Z:$p"; }
now() { date +%s.%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { echo "$1 / $2" | bc -l; }

source "$root/bench/wine-desktop.sh"

# Each round's program folder and destination stay until the end: on a file
# system that reuses freed inodes lazily, files made just after a large
# deletion cost more, and a round would pay for the one before it.
runs=$scratch/runs
rm -rf "$runs"

# A program folder of its own that backs `tree`/Work up into a new $dest.
prepare() {
  app=$runs/$2/app
  dest=$runs/$2/dest
  mkdir -p "$app" "$dest"
  cp "$program" "$app/Yorudex.exe"
  printf '[Backup]\r\nTIME00=1200\r\nLHA_USE=0\r\nDEL_USE=0\r\nKILL_USE=0\r\nTO=%s\r\nFROM00=%s\r\nLINK_USE=1\r\n' \
    "$(winpath "$dest")" "$(winpath "$1/Work")" > "$app/Yorudex.INI"
}

# One unattended run; prints its seconds, and leaves its peak working set in
# $scratch/rss (KB).
run_auto() {
  local t0 t1
  sync
  t0=$(now)
  /usr/bin/time -f %M -o "$scratch/rss" timeout 3600 wine "$app/Yorudex.exe" /AUTO \
    </dev/null >/dev/null 2>&1 || true
  t1=$(now)
  echo "$t1 - $t0" | bc
}

# Moves the backup just made to 0001\01\`hhnn`, older than any other.
age_backup() {
  local made
  made=$(find "$dest" -mindepth 3 -maxdepth 3 -type d -not -path "$dest/0001/*" | head -1)
  mkdir -p "$dest/0001/01"
  mv "$made" "$dest/0001/01/$1"
  # Its catalog goes with it: only a backup with one is linked to.
  if [[ -f $made.catalog ]]; then mv "$made.catalog" "$dest/0001/01/$1.catalog"; fi
}

tally() {
  iconv -f CP932 -t UTF-8 "$app"/log/*.log | grep 'をコピーしました' | tail -1 | tr -d '\r\t'
}

kb() { du -sk "$1" | cut -f1; }

big=$scratch/big
tenth=$scratch/tenth
make_tree "$big" 100 20
make_tree "$tenth" 10 0
tree_kb=$(kb "$big/Work")
echo "tree: $(find "$big/Work" -type f | wc -l) files, $((tree_kb / 1024)) MB; load $(cut -d' ' -f1-3 /proc/loadavg)"

firsts=() seconds=() floors=() changes=() growths=()
# Round 0 is not counted: it pays for whatever the machine did before.
for ((round = 0; round <= repeat; round++)); do
  prepare "$big" "round$round"
  first=$(run_auto)
  echo "  round $round first:   $(tally)"
  age_backup 0000
  before=$(kb "$dest")
  second=$(run_auto)
  echo "  round $round second:  $(tally)"
  growth=$(echo "100 * ($(kb "$dest") - $before) / $tree_kb" | bc -l)
  age_backup 0001
  mkdir -p "$dest/floor"
  t0=$(now)
  wine "$floor" --link "$(winpath "$dest/0001/01/0001/Work")" "$(winpath "$dest/floor")" \
    "$(winpath "$big/Work")" </dev/null >/dev/null 2>&1
  t1=$(now)
  floor_s=$(echo "$t1 - $t0" | bc)
  # One file in each of the 100 folders: 1 % of the files.
  for folder in "$big"/Work/folder*; do echo "changed $round" >> "$folder/file000.dat"; done
  changed=$(run_auto)
  echo "  round $round changed: $(tally)"
  echo "  round $round: first $first s, second $second s, floor $floor_s s, changed $changed s"
  ((round > 0)) || continue
  firsts+=("$first") seconds+=("$second") floors+=("$floor_s") changes+=("$changed")
  growths+=("$growth")
done

m() { printf '%s\n' "$@" | median; }
first=$(m "${firsts[@]}") second=$(m "${seconds[@]}") floor_s=$(m "${floors[@]}")
changed=$(m "${changes[@]}") growth=$(m "${growths[@]}")
printf 'medians of %d rounds:\n' "$repeat"
printf '  first (all copied)   %7.2f s\n' "$first"
printf '  second (all linked)  %7.2f s   / first %.3f (goal <= 0.25)   / floor %.3f (goal <= 1.2)\n' \
  "$second" "$(ratio "$second" "$first")" "$(ratio "$second" "$floor_s")"
printf '  CreateHardLinkW loop %7.2f s\n' "$floor_s"
printf '  1 %% changed          %7.2f s   / first %.3f (goal <= 0.3)\n' "$changed" \
  "$(ratio "$changed" "$first")"
printf '  destination growth on the second run: %.3f %% of the tree (goal < 1 %%)\n' "$growth"

# Memory: the second run's peak working set, this tree against a tenth of it.
peak_second() {
  prepare "$1" "memory-$(basename "$1")"
  run_auto >/dev/null
  age_backup 0000
  run_auto >/dev/null
  cat "$scratch/rss"
}
big_rss=$(peak_second "$big")
tenth_rss=$(peak_second "$tenth")
printf '  peak working set of the second run: %d KB for %d files, %d KB for %d files\n' \
  "$big_rss" "$(find "$big/Work" -type f | wc -l)" "$tenth_rss" "$(find "$tenth/Work" -type f | wc -l)"
echo "  (load average now $(cut -d' ' -f1-3 /proc/loadavg))"
rm -rf "$runs"
