// Archives as backups that are not what a run writes: hostile paths and a
// cut file, from the shared samples, read in place.
#include <gtest/gtest.h>

#include "restore/archive_backup.h"
#include "restore/restore_plan.h"
#include "support/build_paths.h"
#include "support/temp_folder.h"
#include "win/file_system.h"
#include "win/text.h"

namespace yx::test {
namespace {

std::wstring Sample(const char* name) {
  std::wstring path = L"Z:" + win::ToWide(std::string(kSamplesDir) + "/regression/" + name);
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return win::FullPath(path);
}

// An absolute path is offered below the target, as other archivers do; a
// ".." is named and left out.
TEST(ArchiveBackupTest, NoPathOfferedLeavesTheTarget) {
  for (const char* name : {"abspath.lzh", "dotdot.lzh"}) {
    SCOPED_TRACE(name);
    restore::ArchiveBackup backup(Sample(name));
    std::vector<restore::StoredEntry> entries;
    std::string unreadable;
    (void)backup.List(entries, unreadable);
    EXPECT_FALSE(entries.empty() && unreadable.empty());
    for (const restore::StoredEntry& e : entries) {
      EXPECT_FALSE(e.path.starts_with(u"\\"));
      EXPECT_EQ(e.path.find(u".."), std::u16string::npos);
    }
  }
}

TEST(ArchiveBackupTest, ACutArchiveListsWhatCanBeReadAndNamesTheRest) {
  const std::string whole = ReadWholeFile(Sample("multiple.lzh"));
  TempFolder dir;
  const std::wstring cut = dir.WriteFile(L"cut.lzh", whole.substr(0, whole.size() * 2 / 3));
  restore::ArchiveBackup backup(cut);
  std::vector<restore::StoredEntry> entries;
  std::string unreadable;
  EXPECT_FALSE(backup.List(entries, unreadable));
  EXPECT_NE(unreadable.find("番目の項目から先が壊れていて読めません"), std::string::npos)
      << unreadable;
  ASSERT_FALSE(entries.empty());
  ASSERT_LT(entries.size(), 5u);
  std::string bytes, failure;
  EXPECT_EQ(backup.Extract(
                entries[0],
                [&](const uint8_t* data, size_t size) {
                  bytes.append(reinterpret_cast<const char*>(data), size);
                  return true;
                },
                failure),
            restore::ExtractResult::kOk)
      << failure;
  EXPECT_EQ(bytes.size(), entries[0].size);

  // Nothing readable at all: named, nothing offered.
  restore::ArchiveBackup broken(Sample("truncated.lzh"));
  entries.clear();
  unreadable.clear();
  EXPECT_FALSE(broken.List(entries, unreadable));
  EXPECT_NE(unreadable.find("truncated.lzh"), std::string::npos);
}

}  // namespace
}  // namespace yx::test
