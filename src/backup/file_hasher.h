#pragma once
// Reads a file whole for its catalog hash: once when a run copies it, again
// when a backup is verified. One hasher per thread, reused from file to file.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalog/content_hash.h"

namespace yx::backup {

// What reading a file found besides its hash. A file of several names (the
// links of backups that share it) has one identity under each of them.
struct HashedFile {
  catalog::Hash128 hash;
  uint64_t size = 0;
  uint64_t identity = 0;  // the file's index on its volume (with `known` only)
  DWORD volume = 0;
};

class FileHasher {
 public:
  FileHasher() : buffer_(256 * 1024) {}
  // The hash a file already read under another name had, or nothing.
  using Known = std::function<std::optional<catalog::Hash128>(const HashedFile& file)>;
  // 0, or the error of the open or of a read. With `known`, a file whose
  // identity it knows is not read again.
  [[nodiscard]] DWORD Hash(const std::wstring& path, HashedFile& out, const Known& known = {});

 private:
  std::vector<uint8_t> buffer_;
  catalog::ContentHash hash_;
};

}  // namespace yx::backup
