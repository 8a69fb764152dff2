#!/usr/bin/env bash
# Runs one Windows program under the build folder's Wine session; CTest uses it
# as the emulator of every cross-built test. The build folder is the first
# argument, the program and its arguments follow.
set -euo pipefail
here=$(dirname "$0")
source "$here/wine-env.sh" "$1"
shift
exe=$1
machine=$(od -An -tx1 -j "$(( $(od -An -tu4 -j60 -N4 "$exe") + 4 ))" -N2 "$exe" | tr -d ' ')
# wine64 "runs" a 32-bit program, prints nothing and exits 0 whatever it
# returns: refuse it unless 32-bit Wine is really there, so no test passes falsely.
if [[ $machine == 4c01 ]]; then
  if ! command -v wine32 >/dev/null && [[ ! -x /usr/lib/wine/wine ]]; then
    echo "refusing to run 32-bit $exe: no 32-bit Wine here" >&2
    exit 77
  fi
fi
# With 32-bit Wine installed, `wine` starts the 32-bit loader, which hands a
# 64-bit program on to the 64-bit one; that hand-over once failed at the
# start of a test run ("ShellExecuteEx failed") while another program was
# starting. A 64-bit program goes straight to the 64-bit loader.
if [[ $machine == 6486 && -x /usr/lib/wine/wine64 ]]; then
  exec /usr/lib/wine/wine64 "$@"
fi
exec wine "$@"
