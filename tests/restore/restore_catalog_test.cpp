// The restore's list and versions from the catalogs beside the backups,
// with the file-system calls of the scan counted: a destination whose
// backups carry catalogs is listed without a call inside a backup, and a
// catalog that does not read is set aside with one line.
#include <gtest/gtest.h>

#include "backup/catalog_file.h"
#include "restore/catalog_view.h"
#include "restore/destination.h"
#include "restore/verify.h"
#include "support/catalog_v1.h"
#include "support/run_fixture.h"
#include "support/unix_links.h"

namespace yx::test {
namespace {

class CountingAccess final : public restore::FileAccess {
 public:
  bool List(const std::wstring& folder, const Visit& visit) override {
    listed.push_back(folder);
    return FileAccess::List(folder, visit);
  }
  bool ReadStart(const std::wstring& path, size_t most, std::string& bytes) override {
    read.push_back(path);
    return FileAccess::ReadStart(path, most, bytes);
  }
  std::vector<std::wstring> listed, read;
};

class CatalogListing : public RunTest {
 protected:
  CatalogListing() {
    settings.link_use = true;
    SourceTree(2, 3);
    for (int day : {22, 23, 24}) {
      now = EncodeDateTime(2001, 5, day, 9, 5);
      Run();
    }
  }
  restore::Destination Scan(CountingAccess& access) {
    return restore::ScanDestination(dir.Path() + L"dest", L"", access);
  }
  std::wstring Catalog(int day) {
    return dir.Path() + L"dest\\0105\\" + std::to_wstring(day) + L"\\0905.catalog";
  }
};

TEST_F(CatalogListing, ListsEveryBackupFromItsCatalogWithoutEnteringOne) {
  CountingAccess access;
  const restore::Destination d = Scan(access);
  ASSERT_EQ(d.backups.size(), 3u);
  for (const restore::FoundBackup& b : d.backups) {
    ASSERT_TRUE(b.catalog.run) << b.ref.id;
    EXPECT_EQ(b.catalog.run->files, 9u);
    EXPECT_EQ(b.catalog.run->id, b.ref.id);
  }
  // The root, the month and the three days; the three catalogs' heads.
  EXPECT_EQ(access.listed.size(), 5u);
  for (const std::wstring& folder : access.listed)
    EXPECT_EQ(folder.find(L"\\0905\\"), std::wstring::npos);
  ASSERT_EQ(access.read.size(), 3u);
  for (const std::wstring& file : access.read) EXPECT_TRUE(file.ends_with(L"0905.catalog"));

  std::optional<restore::StoredEntry> found;
  std::string set_aside;
  ASSERT_TRUE(restore::FindInCatalog(d.backups[0].path, u"Work\\d1\\f2.txt", found, set_aside));
  ASSERT_TRUE(found);
  EXPECT_FALSE(found->folder);
}

TEST_F(CatalogListing, ACatalogOfThePreviousVersionListsBrowsesAndGivesVersions) {
  backup::ReadCatalog read = backup::ReadCatalogFile(Catalog(22));
  ASSERT_EQ(read.state, backup::CatalogState::kRead);
  // What a run keeps: every file's creation time, which the restore sets.
  const catalog::Entry* file = read.catalog.Find(u"Work\\d1\\f2.txt");
  ASSERT_TRUE(file);
  EXPECT_NE(file->created, 0u);
  for (catalog::Entry& e : read.catalog.entries) e.created = 0;
  dir.WriteFile(Catalog(22).substr(dir.Path().size()), test::CatalogVersion1(read.catalog));

  CountingAccess access;
  const restore::Destination d = Scan(access);
  ASSERT_EQ(d.backups.size(), 3u);
  ASSERT_TRUE(d.backups[2].catalog.run);
  EXPECT_EQ(d.backups[2].catalog.run->files, 9u);
  std::string set_aside;
  const std::optional<catalog::Catalog> browsed =
      restore::ReadBackupCatalog(d.backups[2].path, set_aside);
  ASSERT_TRUE(browsed) << set_aside;
  EXPECT_EQ(*browsed, read.catalog);
  std::optional<restore::StoredEntry> found;
  ASSERT_TRUE(restore::FindInCatalog(d.backups[2].path, u"work\\D1\\f2.txt", found, set_aside));
  ASSERT_TRUE(found);
  EXPECT_EQ(found->path, u"Work\\d1\\f2.txt");
  EXPECT_EQ(found->created, 0u);
}

TEST_F(CatalogListing, ADamagedLaterOrForeignCatalogIsSetAsideAndNeverUsed) {
  dir.WriteFile(Catalog(22).substr(dir.Path().size()), "YXCT\x01 cut short");
  backup::ReadCatalog later = backup::ReadCatalogFile(Catalog(23));
  ASSERT_EQ(later.state, backup::CatalogState::kRead);
  std::string bytes = catalog::Encode(later.catalog);
  bytes[4] = catalog::kVersion + 1;
  dir.WriteFile(Catalog(23).substr(dir.Path().size()), bytes);
  backup::ReadCatalog foreign = backup::ReadCatalogFile(Catalog(24));
  foreign.catalog.entries.push_back(
      {u"..\\..\\Windows\\evil.dll", false, false, 0x20, 1, 1, 1, 0, {}});
  ASSERT_TRUE(backup::WriteCatalogFile(Catalog(24), foreign.catalog));

  CountingAccess access;
  const restore::Destination d = Scan(access);
  ASSERT_EQ(d.backups.size(), 3u);
  EXPECT_NE(d.backups[2].catalog.set_aside.find("目録が壊れています"), std::string::npos);
  EXPECT_NE(d.backups[1].catalog.set_aside.find("新しい版"), std::string::npos);
  for (const size_t i : {1u, 2u}) EXPECT_FALSE(d.backups[i].catalog.run);
  // The head of the foreign one reads; its paths are refused when opened.
  ASSERT_TRUE(d.backups[0].catalog.run);
  std::string set_aside;
  EXPECT_FALSE(restore::ReadBackupCatalog(d.backups[0].path, set_aside));
  EXPECT_NE(set_aside.find("バックアップの外"), std::string::npos);
  std::optional<restore::StoredEntry> found;
  set_aside.clear();
  EXPECT_FALSE(restore::FindInCatalog(d.backups[0].path, u"Work\\f1.txt", found, set_aside));
  EXPECT_FALSE(set_aside.empty());
}

TEST_F(CatalogListing, ACatalogThatIsALinkIsNeverReadNorTrusted) {
  // Elsewhere, a catalog that would read and vouch for every file; the
  // newest backup's own name for its catalog leads to it.
  dir.WriteFile(L"elsewhere\\0905.catalog", dir.ReadFile(Catalog(24).substr(dir.Path().size())));
  ASSERT_TRUE(::DeleteFileW(Catalog(24).c_str()));
  UnixLinks links;
  if (!links.Make(UnixPath(Catalog(24)), UnixPath(dir.Path() + L"elsewhere\\0905.catalog"),
                  Catalog(24)))
    GTEST_SKIP() << "no symbolic links here";
  CountingAccess access;
  const restore::Destination d = Scan(access);
  ASSERT_EQ(d.backups.size(), 3u);
  EXPECT_FALSE(d.backups[0].catalog.run);
  EXPECT_NE(d.backups[0].catalog.set_aside.find("リンク"), std::string::npos)
      << d.backups[0].catalog.set_aside;
  std::string set_aside;
  EXPECT_FALSE(restore::ReadBackupCatalog(d.backups[0].path, set_aside));
  EXPECT_NE(set_aside.find("リンク"), std::string::npos) << set_aside;
  std::optional<restore::StoredEntry> found;
  EXPECT_FALSE(restore::FindInCatalog(d.backups[0].path, u"Work\\f1.txt", found, set_aside));
  restore::ReadOnce read;
  const restore::VerifySummary verified = restore::VerifyBackup(d.backups[0], read);
  EXPECT_TRUE(verified.no_catalog);
  // The next run links to the newest backup whose own catalog reads.
  EXPECT_EQ(
      backup::FindLinkBase(dir.Path() + L"dest\\", EncodeDateTime(2001, 5, 25, 9, 5), L"Work\\")
          .folder,
      dir.Path() + L"dest\\0105\\23\\0905\\Work\\");
}

TEST_F(CatalogListing, VerificationReadsNoFileThroughALinkInsideABackup) {
  // The newest backup's copy made a link to the source file: the bytes the
  // catalog vouches for, yet nothing a restore would give back.
  const std::wstring copy = dir.Path() + L"dest\\0105\\24\\0905\\Work\\d1\\f2.txt";
  ASSERT_TRUE(::DeleteFileW(copy.c_str()));
  UnixLinks links;
  if (!links.Make(UnixPath(copy), UnixPath(dir.Path() + L"src\\Work\\d1\\f2.txt"), copy))
    GTEST_SKIP() << "no symbolic links here";
  CountingAccess access;
  const restore::Destination d = Scan(access);
  restore::ReadOnce read;
  const restore::VerifySummary verified = restore::VerifyBackup(d.backups[0], read);
  EXPECT_EQ(verified.unreadable, 1u);
  EXPECT_EQ(verified.intact, 11u);
  ASSERT_EQ(verified.differences.size(), 1u);
  EXPECT_NE(verified.differences[0].find("Work\\d1\\f2.txt: 読めません: "), std::string::npos)
      << verified.differences[0];
}

}  // namespace
}  // namespace yx::test
