#!/usr/bin/env bash
# Configures and builds one flavour: windows (build/, the shipped program),
# native (build-native/, the portable code under the sanitizers) or windows32
# (build32/, the 32-bit program and archiver library, put in build/dist32/).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
source tools/ccache-env.sh
case ${1:-windows} in
  windows)
    cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
    cmake --build build -j"$jobs" ;;
  windows32)
    cmake -S . -B build32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake -DYX_BUILD_TESTS=OFF \
      -DYX_DIST_DIR="$PWD/build/dist32" >/dev/null
    cmake --build build32 -j"$jobs" ;;
  native)
    cmake -S . -B build-native -DCMAKE_BUILD_TYPE=Debug -DYX_SANITIZE=ON \
      -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc >/dev/null
    cmake --build build-native -j"$jobs" ;;
  *) echo "usage: $0 [windows|windows32|native]" >&2; exit 2 ;;
esac
