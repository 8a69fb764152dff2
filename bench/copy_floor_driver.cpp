// The floor of the copy benchmark (bench/copy-bench.sh): the least a copy of
// a tree can do under Wine on one thread. A plain loop lists each folder,
// makes the same folder at the target and calls CopyFileW for each file,
// with no window, no counting, no progress and no checks beyond the calls'
// own results. The folders wait on a stack, as the program's walk keeps
// them. With --link EARLIER each file is instead a CreateHardLinkW to the
// same path below EARLIER, an earlier copy of SOURCE: the floor of a run
// over an unchanged tree (bench/link-bench.sh).
//
//   copy_floor_driver.exe [--link EARLIER] DESTINATION SOURCE
#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "process_clock.h"

namespace {

std::wstring WithBackslash(std::wstring path) {
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool link = argc == 5 && std::wstring(argv[1]) == L"--link";
  if (argc != 3 && !link) {
    std::fprintf(stderr, "usage: copy_floor_driver [--link EARLIER] DESTINATION SOURCE\n");
    return 2;
  }
  const std::wstring earlier = link ? L"\\\\?\\" + WithBackslash(argv[2]) : L"";
  if (link) argv += 2;
  // Pairs of source and target folder, both ending in a backslash.
  std::vector<std::pair<std::wstring, std::wstring>> folders{
      {L"\\\\?\\" + WithBackslash(argv[2]), L"\\\\?\\" + WithBackslash(argv[1])}};
  const size_t source_length = folders.front().first.size();
  long files = 0;
  long failed = 0;
  const double start = yx::bench::WallSeconds();
  while (!folders.empty()) {
    const auto [from, to] = std::move(folders.back());
    folders.pop_back();
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((from + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
      ++failed;
      continue;
    }
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (::CreateDirectoryW((to + name).c_str(), nullptr))
          folders.emplace_back(from + name + L'\\', to + name + L'\\');
        else
          ++failed;
      } else {
        ++files;
        const bool done =
            link ? ::CreateHardLinkW((to + name).c_str(),
                                     (earlier + from.substr(source_length) + name).c_str(), nullptr)
                 : ::CopyFileW((from + name).c_str(), (to + name).c_str(), TRUE);
        if (!done) ++failed;
      }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
  }
  std::printf("result=%s files=%ld failed=%ld copy_s=%.3f cpu_s=%.3f\n",
              failed == 0 ? "ok" : "failed", files, failed, yx::bench::WallSeconds() - start,
              yx::bench::CpuSeconds());
  return failed == 0 ? 0 : 1;
}
