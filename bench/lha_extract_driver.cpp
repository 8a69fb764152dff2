// Extracts an archive through UNLHA32.DLL as a restore does: the DLL loaded
// from DIST, one UnlhaW "x" command. Prints the result, the elapsed time of
// the call, the CPU time of this process and its peak working set.
// Usage: lha_extract_driver DIST ARCHIVE DEST\ [COMMAND]  (default "x -c"; "t"
// decodes without writing: what the file work costs is the difference).
#include <windows.h>

#include <cstdio>
#include <string>

#include "process_clock.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: lha_extract_driver DIST ARCHIVE DEST\\ [COMMAND]\n");
    return 2;
  }
  const std::wstring dll = std::wstring(argv[1]) + L"\\UNLHA32.DLL";
  HMODULE library = ::LoadLibraryW(dll.c_str());
  using UnlhaWFn = int(WINAPI*)(HWND, LPCWSTR, LPWSTR, DWORD);
  const auto unlha =
      library ? reinterpret_cast<UnlhaWFn>(::GetProcAddress(library, "UnlhaW")) : nullptr;
  if (!unlha) {
    const DWORD error = ::GetLastError();
    std::fprintf(stderr, "UnlhaW not found in %ls (error %lu)\n", dll.c_str(), error);
    return 2;
  }
  const std::wstring verb = argc == 5 ? argv[4] : L"x -c";
  const std::wstring command = verb + L" \"" + std::wstring(argv[2]) + L"\" \"" + argv[3] + L"\"";
  wchar_t output[4096] = {};
  const double cpu_before = yx::bench::CpuSeconds();
  const double start = yx::bench::WallSeconds();
  const int result = unlha(nullptr, command.c_str(), output, 4096);
  const double seconds = yx::bench::WallSeconds() - start;
  const double cpu = yx::bench::CpuSeconds() - cpu_before;
  std::printf("result=%d seconds=%.3f cpu=%.3f peak_mb=%.1f\n", result, seconds, cpu,
              yx::bench::PeakMegabytes());
  if (result != 0) std::fprintf(stderr, "%ls\n", output);
  ::FreeLibrary(library);
  return result == 0 ? 0 : 1;
}
