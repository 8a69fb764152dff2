# Sourced by the benches that need a year of backups ($scratch set, and
# `run` and `winpath` defined as in catalog-bench.sh: `run` calls
# catalog_bench_driver.exe under Wine). Defines:
#   year_tree         $scratch/src/Work: 20,000 files of 0.2 to 3 KB in 200
#                     folders of 100
#   year_of_backups   $scratch/year: 365 copy backups of that tree, one a day
#                     from 2025-01-01 at 09:05, all hard links (`cp -al`) to
#                     one backup the program made
#   year_catalogs CATALOG
#                     CATALOG (a catalog of the tree that this build wrote)
#                     beside every backup of the year, each day's its own
#                     file as a run writes it; on every run, so that the
#                     catalogs are always of this build's format
#   year_without_catalogs
#                     $scratch/year-plain: the same backups (links again)
#                     without catalogs, as an earlier version left them
# The trees are made once (minutes) and kept for the next run, behind a
# .ready mark.

year_tree() {
  [[ -f $scratch/src.ready ]] && return
  echo "making the tree" >&2
  rm -rf "$scratch/src"
  python3 - "$scratch/src/Work" <<'PY'
import os, random, sys
rng = random.Random(20261208)
block = os.urandom(3000)
for d in range(200):
    folder = os.path.join(sys.argv[1], f"folder{d:03d}")
    os.makedirs(folder)
    for f in range(100):
        with open(os.path.join(folder, f"file{f:03d}.dat"), "wb") as out:
            out.write(block[:rng.randint(200, 3000)])
PY
  touch "$scratch/src.ready"
}

year_of_backups() {
  [[ -f $scratch/year.ready ]] && return
  year_tree
  echo "making 365 backups with hard links (minutes)" >&2
  rm -rf "$scratch/year" "$scratch/year-base"
  run copy "$(winpath "$scratch/year-base")\\2501\\01\\0905" "$(winpath "$scratch/src/Work")" \
    >/dev/null
  python3 - "$scratch/year-base/2501/01/0905" "$scratch/year" <<'PY'
import datetime, os, subprocess, sys
backup, year = sys.argv[1], sys.argv[2]
day = datetime.date(2025, 1, 1)
for _ in range(365):
    folder = os.path.join(year, day.strftime("%y%m"), day.strftime("%d"))
    os.makedirs(folder)
    subprocess.run(["cp", "-al", backup, os.path.join(folder, "0905")], check=True)
    day += datetime.timedelta(days=1)
PY
  touch "$scratch/year.ready"
}

year_catalogs() {
  for day in "$scratch/year"/*/*/; do cp "$1" "$day/0905.catalog"; done
}

year_without_catalogs() {
  [[ -f $scratch/year-plain.ready ]] && return
  year_of_backups
  echo "making the same 365 backups without catalogs (minutes)" >&2
  rm -rf "$scratch/year-plain"
  cp -al "$scratch/year" "$scratch/year-plain"
  find "$scratch/year-plain" -name '*.catalog' -delete
  touch "$scratch/year-plain.ready"
}
