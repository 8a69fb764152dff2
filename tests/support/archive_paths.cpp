#include "support/archive_paths.h"

#include <gtest/gtest.h>

#include "lha/core/archive_reader.h"
#include "lha/win/file_streams.h"

namespace yx::test {

std::vector<std::string> StoredPaths(const std::wstring& archive) {
  lha::win::ArchiveFile file;
  std::vector<lha::ArchiveEntry> entries;
  EXPECT_TRUE(file.Open(archive));
  EXPECT_EQ(lha::ListArchive(file, entries), lha::ListResult::kOk);
  std::vector<std::string> paths;
  for (const lha::ArchiveEntry& e : entries) {
    std::string p;
    for (const char c : e.header.directory) p += c == '\xFF' ? '\\' : c;
    paths.push_back(p + e.header.name);
  }
  return paths;
}

}  // namespace yx::test
