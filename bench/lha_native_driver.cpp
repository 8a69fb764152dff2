// Archives a tree with the archiver's portable code built for Linux: the
// same compressor and archive writer as UNLHA32.DLL, with the system's own
// file calls instead of Wine's. For the archiver benchmark
// (bench/lha-bench.sh): the compressor's speed on one core, apart from
// what Wine adds to every file opened. Folders are walked in name order and
// stored as paths only (no folder entries, no Windows times), so the archive
// is a little smaller than the DLL's. Prints the elapsed time and the CPU
// time of the archiving.
// Usage: lha_native_driver ARCHIVE BASE NAME [WORKERS [DEPTH NICE [PASSES]]]
//   (stores NAME/... from BASE; WORKERS compress at once, default 1; DEPTH
//   and NICE tune the match search, PASSES > 0 takes the shortest-path parse:
//   for trying the trade of size and time)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "lha/core/archive_check.h"
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

// Reads the archive at any offset with the system's pread, as the library
// reads it back through its own file calls.
class PreadSource : public yx::lha::RandomSource {
 public:
  explicit PreadSource(const char* path) : fd_(open(path, O_RDONLY)) {
    struct stat st {};
    if (fd_ >= 0 && fstat(fd_, &st) == 0) size_ = static_cast<uint64_t>(st.st_size);
  }
  ~PreadSource() override {
    if (fd_ >= 0) close(fd_);
  }
  PreadSource(const PreadSource&) = delete;
  PreadSource& operator=(const PreadSource&) = delete;
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, uint8_t* data, size_t size, size_t& got) override {
    const ssize_t n = pread(fd_, data, size, static_cast<off_t>(offset));
    got = n > 0 ? static_cast<size_t>(n) : 0;
    return n >= 0;
  }

 private:
  int fd_;
  uint64_t size_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5 && argc != 7 && argc != 8) {
    std::fprintf(stderr,
                 "usage: lha_native_driver ARCHIVE BASE NAME [WORKERS [DEPTH NICE [PASSES]]]\n");
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

  const int workers = argc > 4 ? std::atoi(argv[4]) : 1;
  yx::lha::ParserOptions options;
  if (argc > 5) {
    options.max_depth = std::atoi(argv[5]);
    options.nice_length = std::atoi(argv[6]);
  }
  if (argc > 7) options.shortest_path_passes = std::atoi(argv[7]);
  const double cpu_before = CpuSeconds();
  const double start = WallSeconds();
  yx::lha::WriteResult r;
  {
    FileSink sink(argv[1]);
    r = yx::lha::WriteArchive(nullptr, {}, entries, sink, options, workers);
  }
  const double seconds = WallSeconds() - start;
  const double cpu = CpuSeconds() - cpu_before;
  if (r.status != yx::lha::WriteStatus::kOk) return 1;
  // The archive's check of itself, as the library runs it before a replace.
  const double check_start = WallSeconds();
  const double check_cpu = CpuSeconds();
  const yx::lha::CheckResult checked = yx::lha::CheckArchive(
      [&] { return std::make_unique<PreadSource>(argv[1]); }, {}, r.sums, workers);
  std::printf("result=%d seconds=%.3f cpu=%.3f check=%.3f check_cpu=%.3f\n",
              static_cast<int>(checked.status), seconds, cpu, WallSeconds() - check_start,
              CpuSeconds() - check_cpu);
  return checked.status == yx::lha::CheckStatus::kOk ? 0 : 1;
}
