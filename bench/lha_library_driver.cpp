// Runs one add command through the archiver library's own entry (no DLL), for
// the archiver benchmark (bench/lha-bench.sh): the time of the archive's check
// of itself, found through the library's hook before the check, and, with
// PASSES > 0, the shortest-path parse with deep searches that shows how small
// -lh5- gets (the ceiling row). Prints the result, the elapsed time, the CPU
// time, the check's share, the workers and the peak working set.
// Usage: lha_library_driver ARCHIVE BASE NAME [PASSES DEPTH]
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

#include "lha/win/archive_command.h"
#include "process_clock.h"
#include "win/text.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 4 && argc != 6) {
    std::fprintf(stderr, "usage: lha_library_driver ARCHIVE BASE NAME [PASSES DEPTH]\n");
    return 2;
  }
  const std::string command = "a -x1 -r2 \"" + yx::win::FromWide(argv[1]) + "\" \"" +
                              yx::win::FromWide(argv[2]) + "\" \"" + yx::win::FromWide(argv[3]) +
                              "\"";
  yx::lha::win::CommandOptions options;
  if (argc == 6) {
    options.parser.shortest_path_passes = _wtoi(argv[4]);
    options.parser.max_depth = _wtoi(argv[5]);
    options.parser.nice_length = 256;
  }
  double check_start = 0;
  const auto before_check = [&](const std::wstring&) { check_start = yx::bench::WallSeconds(); };
  const double cpu_before = yx::bench::CpuSeconds();
  const double start = yx::bench::WallSeconds();
  const yx::lha::win::CommandOutcome outcome =
      yx::lha::win::RunCommandWithCheckHook(command, options, before_check);
  const double end = yx::bench::WallSeconds();
  const double cpu = yx::bench::CpuSeconds() - cpu_before;
  std::printf("result=%d seconds=%.3f cpu=%.3f check=%.3f workers=%d peak_mb=%.1f\n", outcome.code,
              end - start, cpu, check_start > 0 ? end - check_start : 0.0,
              yx::lha::win::DefaultWorkers(), yx::bench::PeakMegabytes());
  return outcome.code == 0 ? 0 : 1;
}
