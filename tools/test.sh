#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the portable code
# natively under AddressSanitizer and UBSan, then the Windows program and its
# tests under Wine with the Japanese locale, windows under Xvfb; then the
# 32-bit program and library.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-deps.sh
tools/build.sh native
ctest --test-dir build-native --output-on-failure
tools/fuzz.sh 10   # each libFuzzer target for about 10 s; longer runs: tools/fuzz.sh 600
tools/build.sh windows
tests/packaging/check_dist.sh build/dist 64
ctest --test-dir build --output-on-failure
# No 32-bit Wine here: the 32-bit files are checked as files, not run.
tools/build.sh windows32
tests/packaging/check_dist.sh build/dist32 32
