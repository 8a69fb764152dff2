# Sourced by the benchmarks ($root and $build set). bench_build LOG TARGET...
# configures the Windows build in $build and builds the targets; what the
# build prints goes to LOG, shown only when it fails, which ends the bench.
bench_build() {
  local log=$1
  shift
  echo "building in $build" >&2
  {
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" &&
      cmake --build "$build" -j2 --target "$@"
  } >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
}
