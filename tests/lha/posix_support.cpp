#include "posix_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace yx::lha::test {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "yx-lha-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

FileSink::FileSink(const std::filesystem::path& path) : file_(std::fopen(path.c_str(), "w+b")) {
  if (!file_) throw std::runtime_error("cannot create " + path.string());
}
FileSink::~FileSink() { std::fclose(file_); }
bool FileSink::Write(const uint8_t* data, size_t size) {
  position_ += size;
  return std::fwrite(data, 1, size, file_) == size;
}
bool FileSink::Seek(uint64_t position) {
  position_ = position;
  return fseeko(file_, static_cast<off_t>(position), SEEK_SET) == 0;
}
bool FileSink::Truncate() {
  return std::fflush(file_) == 0 && ftruncate(fileno(file_), static_cast<off_t>(position_)) == 0;
}

FileRandomSource::FileRandomSource(const std::filesystem::path& path) : bytes_(ReadFile(path)) {}
bool FileRandomSource::ReadAt(uint64_t offset, uint8_t* data, size_t size, size_t& got) {
  got = 0;
  if (offset > bytes_.size()) return false;
  got = std::min<size_t>(size, bytes_.size() - offset);
  std::copy_n(bytes_.begin() + static_cast<ptrdiff_t>(offset), got, data);
  return true;
}

bool MemoryContent::Read(uint8_t* data, size_t size, size_t& got) {
  got = std::min({size, piece_, bytes_.size() - at_});
  std::copy_n(bytes_.begin() + static_cast<ptrdiff_t>(at_), got, data);
  at_ += got;
  return true;
}

std::string Quote(const std::filesystem::path& p) {
  std::string out = "'";
  for (char c : p.string()) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

CommandResult RunCommand(const std::string& command, const std::filesystem::path& dir) {
  std::string line = dir.empty() ? command : "cd " + Quote(dir) + " && " + command;
  line = "LC_ALL=C.UTF-8 " + line + " 2>&1";
  CommandResult r;
  FILE* pipe = popen(line.c_str(), "r");
  if (!pipe) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.output.append(buf, n);
  const int status = pclose(pipe);
  r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

// One read of the whole file: a byte-by-byte stream iterator, unoptimised in
// the sanitizer build, made reading the test program itself most of a test.
std::vector<uint8_t> ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary | std::ios::ate);
  std::vector<uint8_t> bytes;
  const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : 0;
  if (size <= 0) return bytes;
  bytes.resize(static_cast<size_t>(size));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), size);
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

void WriteFile(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
  std::ofstream out(p, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

namespace {
int CountLines(const std::string& text, const std::string& prefix) {
  std::istringstream in(text);
  int n = 0;
  for (std::string line; std::getline(in, line);)
    if (line.rfind(prefix, 0) == 0) ++n;
  return n;
}
}  // namespace

int LhasaEntryCount(const std::filesystem::path& archive) {
  // lhasa exits 0 even when it stops at a damaged header: count what it lists.
  const CommandResult r = RunCommand("lhasa l " + Quote(archive));
  std::istringstream in(r.output);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string total;
    int n = -1;
    if (words >> total >> n && total == "Total") return n;
  }
  return -1;
}

int SevenZipEntryCount(const std::filesystem::path& archive) {
  const CommandResult r = RunCommand("7z l -slt " + Quote(archive));
  if (r.exit_code != 0) return -1;
  return CountLines(r.output, "Path = ") - 1;  // the first names the archive
}

int BsdtarEntryCount(const std::filesystem::path& archive) {
  const CommandResult r = RunCommand("bsdtar -tf " + Quote(archive));
  if (r.exit_code != 0) return -1;
  return CountLines(r.output, "");
}

}  // namespace yx::lha::test
