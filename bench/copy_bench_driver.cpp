// Drives a copy-mode backup the way the run does it, for the copy benchmark
// (bench/copy-bench.sh), while the program's unattended run cannot be timed:
// the progress window shown with the title percentage, the dated target
// folder, every source counted, the total published, then every source
// copied into a folder of its own name. Prints the time of the counting pass
// and of the copying pass. THREADS, when given, is how many files the copy
// keeps in flight (chosen while copying, as in the program, otherwise; then
// threads=0 is printed).
//
//   copy_bench_driver.exe [--threads=THREADS] DESTINATION SOURCE...
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "app/progress_form.h"
#include "backup/tree_copier.h"
#include "process_clock.h"
#include "base/date_time.h"
#include "ui/application.h"
#include "win/clock.h"
#include "win/file_system.h"
#include "win/text.h"

namespace {

std::wstring WithBackslash(std::wstring path) {
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path;
}

// The last folder name of a source path ending in a backslash.
std::wstring LastName(const std::wstring& source) {
  const size_t cut = source.find_last_of(L'\\', source.size() - 2);
  return source.substr(cut + 1);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int first = 1;
  int threads = 0;
  if (argc > 1 && std::wcsncmp(argv[1], L"--threads=", 10) == 0) {
    threads = static_cast<int>(std::wcstol(argv[1] + 10, nullptr, 10));
    ++first;
  }
  if (argc < first + 2) {
    std::fprintf(stderr, "usage: copy_bench_driver [--threads=N] DESTINATION SOURCE...\n");
    return 2;
  }
  const std::wstring destination = WithBackslash(argv[first]);
  std::vector<std::wstring> sources;
  for (int i = first + 1; i < argc; ++i) sources.push_back(WithBackslash(argv[i]));

  yx::ui::Application app(::GetModuleHandleW(nullptr));
  app.SetTitle("Yorudex");
  yx::app::TForm3 form(app);
  yx::backup::TreeCopier copier(form.Sink(), [] { return ::GetTickCount64(); });
  if (threads > 0) copier.SetCopyThreads(threads);

  const double start = yx::bench::WallSeconds();
  form.StartProgress(true);
  const std::wstring target =
      destination + yx::win::ToWide(yx::FormatDateTime("yymm\\dd\\hhnn\\", yx::win::Now()));
  bool ok = yx::win::CreateFolderTree(target);
  const double count_start = yx::bench::WallSeconds();
  for (const auto& source : sources) {
    if (!ok) break;
    ok = yx::win::FolderExists(source) && copier.CountFiles(source);
  }
  const double copy_start = yx::bench::WallSeconds();
  if (ok) copier.ShowTotal();
  for (const auto& source : sources) {
    if (!ok) break;
    const std::wstring source_target = target + LastName(source);
    ok = yx::win::CreateOneFolder(source_target) && copier.CopyTree(source_target, source);
  }
  const double end = yx::bench::WallSeconds();
  form.StopProgress();

  std::printf(
      "result=%s threads=%d files=%d copied=%d count_s=%.3f copy_s=%.3f run_s=%.3f cpu_s=%.3f\n",
      ok ? "ok" : "failed", copier.CopyThreads(), copier.FileTotal(), copier.FilesCopied(),
      copy_start - count_start, end - copy_start, end - start, yx::bench::CpuSeconds());
  return ok ? 0 : 1;
}
