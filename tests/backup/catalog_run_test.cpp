// The catalog a copy run writes beside its backup, and the links of the next
// run, which trust nothing but a catalog: the window-free run in this
// process on real folders.
#include <gtest/gtest.h>
#include <windows.h>

#include "backup/catalog_file.h"
#include "support/file_index.h"
#include "support/run_fixture.h"
#include "win/unique_handle.h"

namespace yx::test {
namespace {

class CatalogRun : public RunTest {
 protected:
  CatalogRun() {
    settings.link_use = true;
    dir.WriteFile(L"src\\Work\\a.txt", "alpha");
    dir.WriteFile(L"src\\Work\\sub\\b.txt", std::string(3000, 'b'));
  }
  std::string RunOn(int day) {
    const size_t before = log.Text().size();
    now = EncodeDateTime(2001, 5, day, 9, 5);
    Run();
    return log.Text().substr(before);
  }
  backup::ReadCatalog CatalogOf(int day) {
    return backup::ReadCatalogFile(dir.Path() + L"dest\\0105\\" + std::to_wstring(day) +
                                   L"\\0905.catalog");
  }
  bool Shared(int earlier, int later, const std::wstring& name) {
    const auto path = [&](int day) {
      return dir.Path() + L"dest\\0105\\" + std::to_wstring(day) + L"\\0905\\Work\\" + name;
    };
    return SameFile(path(earlier), path(later));
  }
};

TEST_F(CatalogRun, HoldsEveryFileWithItsHashAndALinkedFileTakesTheEarlierHashUnread) {
  // Over the copy's chunk and the size copied aside, and never the same
  // byte at the same place of two chunks: a chunk lost, doubled or hashed
  // out of turn changes the hash.
  std::string big((2 << 20) + 12345, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 131 ^ i >> 13);
  dir.WriteFile(L"src\\Work\\big.bin", big);
  ASSERT_NE(RunOn(22).find("バックアップ正常終了"), std::string::npos);
  const backup::ReadCatalog first = CatalogOf(22);
  ASSERT_EQ(first.state, backup::CatalogState::kRead);
  EXPECT_EQ(first.catalog.run.id, "010522_0905");
  EXPECT_EQ(first.catalog.run.outcome, catalog::Outcome::kDone);
  EXPECT_EQ(first.catalog.run.files, 3u);
  EXPECT_EQ(first.catalog.run.folders, 2u);
  EXPECT_EQ(first.catalog.run.bytes, 3005u + big.size());
  ASSERT_EQ(first.catalog.entries.size(), 5u);
  EXPECT_TRUE(first.catalog.Find(u"Work")->folder);
  EXPECT_TRUE(first.catalog.Find(u"Work\\sub")->folder);
  EXPECT_EQ(first.catalog.Find(u"Work\\a.txt")->hash, catalog::HashOf("alpha"));
  EXPECT_EQ(first.catalog.Find(u"Work\\sub\\b.txt")->hash, catalog::HashOf(std::string(3000, 'b')));
  // The hash is of the bytes the backup holds, taken as they were written.
  const std::string held = ReadWholeFile(dir.Path() + L"dest\\0105\\22\\0905\\Work\\big.bin");
  EXPECT_EQ(held, big);
  EXPECT_EQ(first.catalog.Find(u"Work\\big.bin")->hash, catalog::HashOf(held));

  // The first backup's copy rots in place: same size, same time. The next
  // run links to it on the catalog's word and copies the hash, reading
  // nothing; a verification would find the rot.
  const std::wstring rotten = dir.Path() + L"dest\\0105\\22\\0905\\Work\\a.txt";
  FILETIME written{};
  {
    win::UniqueFile file(::CreateFileW(rotten.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    DWORD put = 0;
    ASSERT_TRUE(file && ::GetFileTime(file.get(), nullptr, nullptr, &written) &&
                ::WriteFile(file.get(), "alpX", 4, &put, nullptr) &&
                ::SetFileTime(file.get(), nullptr, nullptr, &written));
  }
  ASSERT_NE(RunOn(23).find("3 件をリンク、0 件"), std::string::npos);
  const backup::ReadCatalog second = CatalogOf(23);
  ASSERT_EQ(second.state, backup::CatalogState::kRead);
  EXPECT_EQ(second.catalog.run.linked, 3u);
  EXPECT_TRUE(second.catalog.Find(u"Work\\a.txt")->linked);
  EXPECT_EQ(second.catalog.Find(u"Work\\a.txt")->hash, catalog::HashOf("alpha"));
}

TEST_F(CatalogRun, LinksOnlyToABackupWhoseCatalogReads) {
  ASSERT_NE(RunOn(22).find("バックアップ正常終了"), std::string::npos);
  ASSERT_NE(RunOn(23).find("2 件をリンク"), std::string::npos);
  // The run of the 23rd was killed before its catalog: never a base.
  ASSERT_TRUE(::DeleteFileW((dir.Path() + L"dest\\0105\\23\\0905.catalog").c_str()));
  ASSERT_NE(RunOn(24).find("2 件をリンク"), std::string::npos);
  EXPECT_TRUE(Shared(22, 24, L"a.txt"));
  EXPECT_TRUE(Shared(22, 24, L"sub\\b.txt"));
  // A damaged catalog is none; nor does a catalog that lacks a file vouch
  // for it.
  dir.WriteFile(L"dest\\0105\\24\\0905.catalog", "YXCT\x01 torn");
  backup::ReadCatalog first = CatalogOf(22);
  first.catalog.entries.erase(first.catalog.entries.begin() + 1);  // Work\a.txt
  ASSERT_TRUE(
      backup::WriteCatalogFile(dir.Path() + L"dest\\0105\\22\\0905.catalog", first.catalog));
  EXPECT_NE(RunOn(25).find("1 件をリンク、1 件"), std::string::npos);
  EXPECT_TRUE(Shared(22, 25, L"sub\\b.txt"));
  EXPECT_FALSE(Shared(22, 25, L"a.txt"));
  EXPECT_EQ(CatalogOf(25).catalog.Find(u"Work\\a.txt")->hash, catalog::HashOf("alpha"));
}

}  // namespace
}  // namespace yx::test
