#pragma once
// Reads a file whole for its catalog hash, as a backup is verified (a run
// hashes what it copies as it writes it: file_copy.h). One hasher per
// thread, reused from file to file.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/content_hash.h"

namespace yx::backup {

struct HashedFile {
  catalog::Hash128 hash;
  uint64_t size = 0;
};

class FileHasher {
 public:
  FileHasher() : buffer_(256 * 1024) {}
  // 0, or the error of the open or of a read.
  [[nodiscard]] DWORD Hash(const std::wstring& path, HashedFile& out);

 private:
  std::vector<uint8_t> buffer_;
  catalog::ContentHash hash_;
};

}  // namespace yx::backup
