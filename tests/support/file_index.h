#pragma once
// Which file a path names, for tests of backups that share files: the index
// of the file on its volume and how many names it has.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "win/unique_handle.h"

namespace yx::test {

struct FileIndex {
  uint64_t index = 0;
  DWORD names = 0;
};

[[nodiscard]] inline std::optional<FileIndex> IndexOf(const std::wstring& path) {
  win::UniqueFile file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!file || !::GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
  return FileIndex{(uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow, info.nNumberOfLinks};
}

// Whether the two paths name one file.
[[nodiscard]] inline bool SameFile(const std::wstring& a, const std::wstring& b) {
  const auto x = IndexOf(a), y = IndexOf(b);
  return x && y && x->index == y->index;
}

}  // namespace yx::test
