#pragma once
// An archive opened for reading: its file, where its first header lies (past
// the program of a self-extracting one) and its entries, listed once.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "lha/core/archive_reader.h"
#include "lha/core/cached_source.h"

namespace yx::lha::win {

struct OpenedArchive {
  std::wstring path;
  std::unique_ptr<CachedSource> source;
  uint64_t start = 0;  // 0, or the size of a self-extracting program's code
  std::vector<ArchiveEntry> entries;
  // kDamaged when a header past the listed entries is broken or the file is
  // cut: the entries before it are listed and may be read.
  ListResult listing = ListResult::kOk;
};

// 0, kErrorArcFileOpen (with the system's error in `error`) or
// kErrorNotArcFile. A damaged archive opens with what could be listed.
[[nodiscard]] int OpenArchive(const std::wstring& path, OpenedArchive& out, DWORD& error);

}  // namespace yx::lha::win
