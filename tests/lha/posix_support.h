#pragma once
// Native test helpers: a fresh temporary folder, archive files written
// through the library's streams, and the Debian decoders run as independent
// checkers (lhasa, 7z, bsdtar).
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "lha/core/stream.h"

namespace yx::lha::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  [[nodiscard]] const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

class FileSink : public ArchiveSink {
 public:
  explicit FileSink(const std::filesystem::path& path);
  ~FileSink() override;
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;
  bool Write(const uint8_t* data, size_t size) override;
  uint64_t Position() const override { return position_; }
  bool Seek(uint64_t position) override;
  bool Truncate() override;

 private:
  FILE* file_;
  uint64_t position_ = 0;
};

class FileRandomSource : public RandomSource {
 public:
  explicit FileRandomSource(const std::filesystem::path& path);
  // An archive built in memory.
  explicit FileRandomSource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(uint64_t offset, uint8_t* data, size_t size, size_t& got) override;

 private:
  std::vector<uint8_t> bytes_;
};

// Content held in memory, handed out in pieces of `piece` bytes.
class MemoryContent : public ContentSource {
 public:
  explicit MemoryContent(std::vector<uint8_t> bytes, size_t piece = 1 << 20)
      : bytes_(std::move(bytes)), piece_(piece) {}
  bool Read(uint8_t* data, size_t size, size_t& got) override;
  bool Rewind() override {
    at_ = 0;
    return true;
  }

 private:
  std::vector<uint8_t> bytes_;
  size_t piece_;
  size_t at_ = 0;
};

class MemorySink : public ByteSink {
 public:
  bool Write(const uint8_t* data, size_t size) override {
    bytes.insert(bytes.end(), data, data + size);
    return true;
  }
  std::vector<uint8_t> bytes;
};

struct CommandResult {
  int exit_code = -1;
  std::string output;  // stdout and stderr
};
// Runs a shell command line; `dir` becomes the working folder.
CommandResult RunCommand(const std::string& command, const std::filesystem::path& dir = {});
std::string Quote(const std::filesystem::path& p);

std::vector<uint8_t> ReadFile(const std::filesystem::path& p);
void WriteFile(const std::filesystem::path& p, const std::vector<uint8_t>& bytes);

// Number of entries each decoder lists (directories included).
int LhasaEntryCount(const std::filesystem::path& archive);
int SevenZipEntryCount(const std::filesystem::path& archive);
int BsdtarEntryCount(const std::filesystem::path& archive);

}  // namespace yx::lha::test
