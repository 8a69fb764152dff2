// Drives UNLHA32.DLL the way an archive-mode backup run does: through the
// program's binding, background mode off, one add command with no output
// text. Prints the result, the elapsed time of the Unlha call and the CPU
// time of this process.
// Usage: lha_bench_driver DIST_FOLDER ARCHIVE BASE\ NAME
#include <windows.h>

#include <cstdio>
#include <string>

#include "backup/unlha32.h"
#include "win/text.h"

namespace {

double Seconds(const FILETIME& t) {
  return static_cast<double>((uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime) / 1e7;
}

double CpuSeconds() {
  FILETIME creation, exit, kernel, user;
  ::GetProcessTimes(::GetCurrentProcess(), &creation, &exit, &kernel, &user);
  return Seconds(kernel) + Seconds(user);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: lha_bench_driver DIST ARCHIVE BASE NAME\n");
    return 2;
  }
  ::SetDllDirectoryW(argv[1]);
  yx::unlha32::Load();
  if (!yx::unlha32::LibraryLoaded()) {
    std::fprintf(stderr, "UNLHA32 not found in %ls\n", argv[1]);
    return 2;
  }
  const std::string command = "a -x1 -r2 \"" + yx::win::FromWide(argv[2]) + "\" \"" +
                              yx::win::FromWide(argv[3]) + "\" \"" + yx::win::FromWide(argv[4]) +
                              "\"";
  (void)yx::unlha32::UnlhaSetBackGroundMode(FALSE);
  LARGE_INTEGER frequency, start, end;
  ::QueryPerformanceFrequency(&frequency);
  const double cpu_before = CpuSeconds();
  ::QueryPerformanceCounter(&start);
  std::string output;
  const int result = yx::unlha32::Unlha(nullptr, command, output, 0);
  ::QueryPerformanceCounter(&end);
  const double cpu = CpuSeconds() - cpu_before;
  std::printf(
      "result=%d seconds=%.3f cpu=%.3f\n", result,
      static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart),
      cpu);
  yx::unlha32::Unload();
  return result == 0 ? 0 : 1;
}
