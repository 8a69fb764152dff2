#pragma once
// One file copied by a loop of our own instead of CopyFileW, so that the
// catalog's hash is taken of the very bytes written to the backup as they
// pass: each copied file is read once, where a copy and then a hash of the
// copy read it twice (2.25 times the run without a catalog, measured).
//
// What CopyFileW gave is kept: the copy is never made over an existing
// file; it gets the source's attributes and times only after its last
// byte, so a torn copy never carries the source's last-write time; a copy
// that fails is removed; a large file is written under a name of its own
// beside the target and takes the target's name once whole; alternate data
// streams (where the file system keeps them) are copied with the file, the
// hash being of its own data only.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalog/content_hash.h"
#include "win/failure.h"

namespace yx::backup {

// One per thread, reused from file to file.
class FileCopier {
 public:
  FileCopier();
  // Copies `from` (of `size` bytes as listed) to `to`, never over an
  // existing file; with `hash`, sets it to the hash of the bytes written,
  // and only when the copy is whole. Nothing, or the call that failed with
  // its error and path. After any failure but "exists", nothing this copy
  // made is left.
  [[nodiscard]] std::optional<win::Failure> Copy(const std::wstring& from, const std::wstring& to,
                                                 uint64_t size, catalog::Hash128* hash);

 private:
  // Reads `in` to its end into `out`, hashing what passes.
  [[nodiscard]] std::optional<win::Failure> Pour(HANDLE in, const std::wstring& from, HANDLE out,
                                                 const std::wstring& to, uint64_t size,
                                                 catalog::Hash128* hash);

  // The file's alternate data streams into `written`'s.
  [[nodiscard]] std::optional<win::Failure> CopyStreams(HANDLE in, const std::wstring& source,
                                                        const std::wstring& from,
                                                        const std::wstring& written);

  std::vector<char> buffer_;
  catalog::ContentHash hash_;
};

}  // namespace yx::backup
