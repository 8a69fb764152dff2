#!/bin/sh
# Prints the folder of the shared sample archives: beside the repository or,
# for a clone of a repository on this machine, beside the one it was cloned
# from. When neither has them, the first place, for the tests to fail on.
root=$(cd "$(dirname "$0")/.." && pwd)
for base in "$root" "$(git -C "$root" remote get-url origin 2>/dev/null)"; do
  case $base in /*) ;; *) continue ;; esac
  if [ -d "$base/../shared/lha-samples" ]; then
    (cd "$base/../shared/lha-samples" && pwd)
    exit 0
  fi
done
echo "$root/../shared/lha-samples"
