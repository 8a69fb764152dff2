#!/usr/bin/env bash
# The test gate: installs what is missing, checks the formatting, builds, and
# runs every test that is not labelled slow: the portable code natively under
# AddressSanitizer and UBSan, the fuzz targets over their corpus for a few
# seconds, then the Windows program and its tests under Wine with the Japanese
# locale and windows under Xvfb, and the 32-bit program run for real. Tests
# write only under the build folders.
#   tools/test.sh           the gate
#   tools/test.sh --slow    what the gate leaves out: the >4 GiB archive entry,
#                           the 200-day soak of real runs, a minute of fuzzing
#                           per target
#   tools/test.sh --report  runs the reliability suite whole and writes its
#                           table into docs/reliability.md (the only run that
#                           changes the source tree)
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-gate}
case $mode in
  gate | --slow | --report) ;;
  *) echo "usage: $0 [--slow|--report]" >&2; exit 2 ;;
esac

tools/setup-deps.sh

# Each step's time, printed at the end.
times=()
step() {
  local name=$1 start=$SECONDS
  shift
  "$@"
  times+=("$(printf '%-34s %4d s' "$name" $((SECONDS - start)))")
}
report_times() {
  printf '%s\n' "${times[@]}"
}

check_format() {
  git ls-files -z '*.cpp' '*.h' '*.c' | xargs -0 clang-format --dry-run -Werror
}

case $mode in
  gate)
    # Making a new Wine prefix takes about 20 s and needs nothing built: it goes
    # on beside the native steps instead of inside the Windows test run.
    { tools/wine-session.sh start build && tools/wine-session.sh stop build; } >/dev/null 2>&1 &
    prefix_pid=$!
    step "format" check_format
    step "build native" tools/build.sh native
    step "test native" ctest --test-dir build-native --output-on-failure -j2 -LE slow
    # The saved corpus replayed, then each target for 3 s more.
    step "fuzz" tools/fuzz.sh 3
    step "build windows" tools/build.sh windows
    step "build windows32" tools/build.sh windows32
    tests/packaging/check_dist.sh build/dist 64 build/Yorudex-080a-win64.zip
    tests/packaging/check_dist.sh build/dist32 32 build32/Yorudex-080a-win32.zip
    step "wine prefix" wait $prefix_pid
    # Includes the 32-bit program's unattended runs (tests/packaging/dist32_runs.sh).
    step "test windows" ctest --test-dir build --output-on-failure -LE slow
    ;;
  --slow)
    step "build native" tools/build.sh native
    step "test native (slow)" ctest --test-dir build-native --output-on-failure -L slow
    step "build windows" tools/build.sh windows
    step "test windows (slow)" ctest --test-dir build --output-on-failure -L slow
    step "fuzz 60 s a target" tools/fuzz.sh 60
    ;;
  --report)
    step "build windows" tools/build.sh windows
    run_reliability() {
      tools/wine-session.sh start build
      sh tests/reliability/small_disk.sh mount build/small-disk
      local status=0
      YX_RELIABILITY_REPORT="$PWD/docs/reliability.md" \
        tools/wine-run.sh build build/tests/reliability/reliability_tests.exe --gtest_brief=1 ||
        status=$?
      sh tests/reliability/small_disk.sh unmount build/small-disk
      tools/wine-session.sh stop build
      return $status
    }
    step "reliability report" run_reliability
    ;;
esac
report_times
