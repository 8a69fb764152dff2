// Drives UNLHA32.DLL the way an archive-mode backup run does: through the
// program's binding, background mode off, one add command with no output
// text. Prints the result, the elapsed time of the Unlha call, the CPU
// time of this process and its peak working set.
// Usage: lha_bench_driver DIST_FOLDER ARCHIVE BASE\ NAME
#include <windows.h>

#include <cstdio>
#include <string>

#include "backup/unlha32.h"
#include "process_clock.h"
#include "win/text.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: lha_bench_driver DIST ARCHIVE BASE NAME\n");
    return 2;
  }
  ::SetDllDirectoryW(argv[1]);
  yx::backup::unlha32::Load();
  if (!yx::backup::unlha32::LibraryLoaded()) {
    std::fprintf(stderr, "UNLHA32 not found in %ls\n", argv[1]);
    return 2;
  }
  const std::string command = "a -x1 -r2 \"" + yx::win::FromWide(argv[2]) + "\" \"" +
                              yx::win::FromWide(argv[3]) + "\" \"" + yx::win::FromWide(argv[4]) +
                              "\"";
  (void)yx::backup::unlha32::UnlhaSetBackGroundMode(FALSE);
  const double cpu_before = yx::bench::CpuSeconds();
  const double start = yx::bench::WallSeconds();
  std::string output;
  const int result = yx::backup::unlha32::Unlha(nullptr, command, output, 0);
  const double seconds = yx::bench::WallSeconds() - start;
  const double cpu = yx::bench::CpuSeconds() - cpu_before;
  std::printf("result=%d seconds=%.3f cpu=%.3f peak_mb=%.1f\n", result, seconds, cpu,
              yx::bench::PeakMegabytes());
  yx::backup::unlha32::Unload();
  return result == 0 ? 0 : 1;
}
