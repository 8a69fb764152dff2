// Archives a tree with the archiver's own code, as the library's add command
// does, but with the shortest-path parse and deep searches: the smallest
// -lh5- archive this project knows how to make, whatever the time. For the
// archiver benchmark (bench/lha-bench.sh), to show where -lh5- ends.
// Prints the result, the elapsed time and the CPU time.
// Usage: lha_ceiling_driver ARCHIVE BASE\ NAME PASSES DEPTH
#include <windows.h>

#include <cstdio>
#include <string>

#include "lha/win/archive_command.h"
#include "process_clock.h"
#include "win/text.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: lha_ceiling_driver ARCHIVE BASE NAME PASSES DEPTH\n");
    return 2;
  }
  const std::string command = "a -x1 -r2 \"" + yx::win::FromWide(argv[1]) + "\" \"" +
                              yx::win::FromWide(argv[2]) + "\" \"" + yx::win::FromWide(argv[3]) +
                              "\"";
  yx::lha::win::CommandOptions options;
  options.parser.shortest_path_passes = _wtoi(argv[4]);
  options.parser.max_depth = _wtoi(argv[5]);
  options.parser.nice_length = 256;
  const double cpu_before = yx::bench::CpuSeconds();
  const double start = yx::bench::WallSeconds();
  const yx::lha::win::CommandOutcome outcome = yx::lha::win::RunCommand(command, options);
  const double seconds = yx::bench::WallSeconds() - start;
  const double cpu = yx::bench::CpuSeconds() - cpu_before;
  std::printf("result=%d seconds=%.3f cpu=%.3f\n", outcome.code, seconds, cpu);
  return outcome.code == 0 ? 0 : 1;
}
