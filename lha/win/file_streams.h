#pragma once
// The library's streams over Win32 files, opened through the wide API with
// the long-path prefix.
#include <windows.h>

#include <string>
#include <vector>

#include "lha/core/stream.h"
#include "win/unique_handle.h"

namespace yx::lha::win {

// A source file, shared for reading and writing: a file another program keeps
// open is still backed up.
class FileContent : public ContentSource {
 public:
  // `error`, when given, receives the reason of a failed open or read.
  explicit FileContent(DWORD* error = nullptr) : error_(error) {}
  // A file opened by Open, whose first bytes were read already: `head`, and
  // `head_is_all` when they reached the end (the file may then be closed
  // already). The file stands just past them.
  FileContent(yx::win::UniqueFile file, std::vector<uint8_t> head, bool head_is_all,
              DWORD* error = nullptr);

  [[nodiscard]] bool Open(const std::wstring& path);
  bool Read(uint8_t* data, size_t size, size_t& got) override;
  bool Rewind() override;

  // Opens a file the way Open does, for whoever reads it ahead.
  [[nodiscard]] static yx::win::UniqueFile OpenFile(const std::wstring& path);

 private:
  // The reason, kept where the caller reads it, with the failing call's own error.
  bool Failed();

  yx::win::UniqueFile file_;
  DWORD* error_ = nullptr;
  std::vector<uint8_t> head_;
  size_t head_used_ = 0;
  bool head_is_all_ = false;
  bool at_end_ = false;  // a short read met the end: no call to find that out again
};

// The existing archive, read while the new one is written beside it.
class ArchiveFile : public RandomSource {
 public:
  [[nodiscard]] bool Open(const std::wstring& path);
  void Close() { file_.reset(); }
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, uint8_t* data, size_t size, size_t& got) override;

 private:
  yx::win::UniqueFile file_;
  uint64_t size_ = 0;
};

// The new archive: a fresh file that is deleted again unless Commit() moves
// it over the target. Writes collect in a buffer of 1 MiB, and the header
// patch of an entry usually lands there too: a file system call per entry
// and per block would cost more than the compression of a small file.
class NewArchiveFile : public ArchiveSink {
 public:
  NewArchiveFile() = default;
  NewArchiveFile(const NewArchiveFile&) = delete;
  NewArchiveFile& operator=(const NewArchiveFile&) = delete;
  ~NewArchiveFile() override;

  // Creates a file of a new name beside `target`.
  [[nodiscard]] bool Create(const std::wstring& target);
  bool Write(const uint8_t* data, size_t size) override;
  uint64_t Position() const override { return position_; }
  bool Seek(uint64_t position) override;
  bool Truncate() override;
  // Flushes and closes the file, which can then be read back.
  [[nodiscard]] bool Close();
  // Closes the file if still open, then puts it in place of the target in
  // one step; the target stays as it was when this fails.
  [[nodiscard]] bool Commit();
  [[nodiscard]] const std::wstring& Path() const { return path_; }

 private:
  [[nodiscard]] bool FlushBuffer();

  yx::win::UniqueFile file_;
  std::wstring path_;
  std::wstring target_;
  std::vector<uint8_t> buffer_;  // the file's bytes from buffer_start_ on
  uint64_t buffer_start_ = 0;
  uint64_t position_ = 0;
  bool committed_ = false;
};

}  // namespace yx::lha::win
