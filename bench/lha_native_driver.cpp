// Archives a tree with the archiver's portable code built for Linux: the
// same compressor and archive writer as UNLHA32.DLL, with the system's own
// file calls instead of Wine's. For the archiver benchmark
// (bench/lha-bench.sh): the compressor's speed on one core, apart from
// what Wine adds to every file opened. Folders are walked in name order and
// stored as paths only (no folder entries, no Windows times), so the archive
// is a little smaller than the DLL's. Prints the elapsed time and the CPU
// time of the archiving.
// Usage: lha_native_driver ARCHIVE BASE NAME   (stores NAME/... from BASE)
#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "lha/core/archive_writer.h"
#include "posix_support.h"  // tests/lha: the file sink and content of the native tests

namespace {

namespace fs = std::filesystem;
using yx::lha::ContentSource;
using yx::lha::test::FileSink;
using yx::lha::test::MemoryContent;

// <chrono> cannot be built with this project's code page 932 literals.
double WallSeconds() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: lha_native_driver ARCHIVE BASE NAME\n");
    return 2;
  }
  const fs::path base = argv[2];
  std::vector<fs::path> files;
  for (const auto& e : fs::recursive_directory_iterator(base / argv[3]))
    if (e.is_regular_file()) files.push_back(fs::relative(e.path(), base));
  std::sort(files.begin(), files.end());

  std::vector<yx::lha::NewEntry> entries;
  for (const fs::path& relative : files) {
    yx::lha::NewEntry e;
    e.header.name = relative.filename().string();
    for (const fs::path& part : relative.parent_path())
      e.header.directory += part.string() + '\xFF';
    const fs::path full = base / relative;
    struct stat st {};
    if (stat(full.c_str(), &st) != 0) return 1;
    e.size = static_cast<uint64_t>(st.st_size);
    e.header.unix_time = static_cast<uint32_t>(st.st_mtime);
    // Read when the writer opens it, as the library reads a file.
    e.open = [full]() -> std::unique_ptr<ContentSource> {
      return std::make_unique<MemoryContent>(yx::lha::test::ReadFile(full));
    };
    entries.push_back(std::move(e));
  }

  FileSink sink(argv[1]);
  const double cpu_before = CpuSeconds();
  const double start = WallSeconds();
  const yx::lha::WriteResult r = yx::lha::WriteArchive(nullptr, {}, entries, sink);
  std::printf("result=%d seconds=%.3f cpu=%.3f\n", static_cast<int>(r.status),
              WallSeconds() - start, CpuSeconds() - cpu_before);
  return r.status == yx::lha::WriteStatus::kOk ? 0 : 1;
}
