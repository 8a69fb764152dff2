#pragma once
// Reads a file whole for its catalog hash, as a backup is verified (a run
// hashes what it copies as it writes it: file_copy.h). One hasher per
// thread, reused from file to file.
#include <windows.h>

#include <cstdint>
#include <functional>
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
  // 0, or the error of the open or of a read. With `own`, the file opened is
  // read only when it accepts it, else the error is `own`'s.
  [[nodiscard]] DWORD Hash(const std::wstring& path, HashedFile& out,
                           const std::function<DWORD(HANDLE)>& own = {});

 private:
  std::vector<uint8_t> buffer_;
  catalog::ContentHash hash_;
};

}  // namespace yx::backup
