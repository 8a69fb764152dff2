// Runs where something cannot be backed up or must not be deleted: every file
// that could be read is in the backup, every one that could not is named in
// the log, nothing is deleted outside the expired backups, the newest backup
// stays, and the exit status tells the scheduler how the run ended (the
// fixture checks it against the log in every case).
#include <algorithm>
#include <utility>

#include "backup/catalog_file.h"
#include "reliability/unattended_fixture.h"
#include "support/archive_paths.h"
#include "support/unix_links.h"
#include "support/program_run.h"
#include "win/fault_line.h"
#include "win/file_system.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace yx::test {
namespace {

using KeptData = UnattendedTest;

// The log names `path` as not backed up (the system's reason follows).
bool Names(const std::string& log, const std::string& path) {
  const std::vector<std::string> lines = SplitLines(log);
  const std::string head = "\tPATH=" + path + " をバックアップできませんでした: エラー ";
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& line) { return line.starts_with(head); });
}

bool Holds(const std::string& log, const std::string& line) {
  const std::vector<std::string> lines = SplitLines(log);
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_F(KeptData, AFileAndAFolderHeldWithoutSharingAreNamedAndEverythingElseIsCopied) {
  Describe(
      "In the first of two sources a file and a sub-folder are held open without sharing by "
      "another process while the run copies.",
      "Both are named in the log with the system's reason; every other file of both sources is "
      "in the backup; the outcome is the failure line and the status 2.");
  SourceTree(L"Mail");
  Settings({{"FROM01", dir.PathA() + "src\\Mail"}});
  {
    const win::UniqueFile file = HoldOpen(dir.Path() + L"src\\Work\\a.txt");
    const win::UniqueFile folder = HoldOpen(dir.Path() + L"src\\Work\\sub\\deeper");
    ASSERT_TRUE(file && folder);
    RunHere();
  }
  const std::string log = Log();
  EXPECT_TRUE(Names(log, dir.PathA() + "src\\Work\\a.txt")) << log;
  EXPECT_TRUE(Names(log, dir.PathA() + "src\\Work\\sub\\deeper\\")) << log;
  EXPECT_TRUE(Holds(log, kFailed));
  const Tree work = Backup(L"0105\\23\\0905\\Work");
  EXPECT_TRUE(IsCopyOf(work, Source(), false));
  EXPECT_FALSE(work.contains(L"a.txt"));
  EXPECT_TRUE(work.contains(L"sub\\b.bin"));
  EXPECT_TRUE(IsCopyOf(Backup(L"0105\\23\\0905\\Mail"), Source(L"Mail"), true));
}

TEST_F(KeptData, AnArchiveRunLeavesOutAFileItCannotReadNamesItAndArchivesTheRest) {
  Describe(
      "Archive mode with two sources; a file of the first is held open without sharing while "
      "the run archives, and the first source holds a link to a folder elsewhere.",
      "The held file is named in the log with the system's reason and has no entry; every "
      "other file of both sources is in the archive; the outcome is the failure line and the "
      "status 2 (what the archiver writes for links, for folders it cannot list and for files "
      "that fail part way is checked by lhasa, 7-Zip and bsdtar in its own tests).");
  program.AddArchiver();
  SourceTree(L"Real");
  SourceTree(L"Mail");
  Settings({{"LHA_USE", "1"}, {"FROM01", dir.PathA() + "src\\Mail"}});
  const std::wstring link = dir.Path() + L"src\\Work\\Linked";
  UnixLinks links;
  if (!links.Make(UnixPath(link), UnixPath(dir.Path() + L"src\\Real"), link))
    GTEST_SKIP() << "no symbolic links here";
  {
    const win::UniqueFile file = HoldOpen(dir.Path() + L"src\\Work\\sub\\b.bin");
    ASSERT_TRUE(file);
    Run(ExitStatus(2));
  }
  const std::string log = Log();
  EXPECT_TRUE(Names(log, dir.PathA() + "src\\Work\\sub\\b.bin")) << log;
  EXPECT_TRUE(Holds(log, kFailed));
  const std::vector<std::string> stored =
      StoredPaths(dir.Path() + L"dest\\0105\\23\\010523_0905.lzh");
  for (const char* path : {"Work\\a.txt", "Work\\sub\\deeper\\c.txt", "Work\\Linked\\sub\\b.bin",
                           "Mail\\a.txt", "Mail\\sub\\b.bin", "Mail\\sub\\deeper\\c.txt"})
    EXPECT_NE(std::find(stored.begin(), stored.end(), path), stored.end()) << path;
  EXPECT_EQ(std::find(stored.begin(), stored.end(), "Work\\sub\\b.bin"), stored.end());
}

TEST_F(KeptData, AFullDestinationLeavesNoTornFileUnderItsName) {
  Describe(
      "The destination is a file system of 1 MiB; the source holds two small files and one of "
      "3 MB.",
      "The large file is named in the log with the system's reason and is not in the backup, "
      "not even in part, nor in its catalog; each small file is there whole with its hash in "
      "the catalog or, when its copy met the full disk beside the large one's, named in the "
      "log and absent from both; the outcome is the failure line.");
  const std::wstring dest = FolderOnSmallDisk(L"dest");
  if (dest.empty()) GTEST_SKIP() << "no small file system mounted (mounting needs root)";
  dir.WriteFile(L"src\\Work\\a.txt", "alpha");
  dir.WriteFile(L"src\\Work\\big.bin", std::string(3 << 20, '\x5A'));
  dir.WriteFile(L"src\\Work\\z.txt", "zulu");
  Settings({{"TO", win::FromWide(dest)}});
  Run();
  const std::string log = Log();
  // The write's own error, not that of the clean-up after it.
  EXPECT_NE(log.find(dir.PathA() + "src\\Work\\big.bin をバックアップできませんでした: " +
                     win::ErrorReason(ERROR_DISK_FULL)),
            std::string::npos)
      << log;
  EXPECT_TRUE(Holds(log, kFailed));
  const std::wstring copy = dest + L"0105\\23\\0905\\Work\\";
  EXPECT_EQ(win::Attributes(copy + L"big.bin"), INVALID_FILE_ATTRIBUTES);
  const backup::ReadCatalog kept = backup::ReadCatalogFile(dest + L"0105\\23\\0905.catalog");
  ASSERT_EQ(kept.state, backup::CatalogState::kRead);
  EXPECT_EQ(kept.catalog.Find(u"Work\\big.bin"), nullptr);
  // Copies run side by side, so a small file may meet the disk the large one
  // filled: then it is named, never left torn.
  for (const auto& [name, content] : {std::pair{L"a.txt", "alpha"}, std::pair{L"z.txt", "zulu"}}) {
    const catalog::Entry* entry = kept.catalog.Find(u"Work\\" + std::u16string(name, name + 5));
    if (win::Attributes(copy + name) == INVALID_FILE_ATTRIBUTES) {
      EXPECT_TRUE(Names(log, dir.PathA() + "src\\Work\\" + win::FromWide(name))) << log;
      EXPECT_EQ(entry, nullptr);
    } else {
      EXPECT_EQ(ReadWholeFile(copy + name), content);
      ASSERT_NE(entry, nullptr);
      EXPECT_EQ(entry->hash, catalog::HashOf(content));
    }
  }
  RemoveTree(dest);
}

TEST_F(KeptData, AFileLinkInAnExpiredBackupNeverCostsTheFileItPointsTo) {
  Describe(
      "An expired backup (forced deletion after 30 days) holds a symbolic link to a file "
      "outside the destination; Wine lists it as a plain file.",
      "The file it points to is untouched; the link stays and the backup's line says that it "
      "could not be deleted.");
  Settings({{"KILL_USE", "1"}, {"KILL_VAL", "30"}});
  const std::wstring precious = dir.WriteFile(L"outside\\precious.txt", "keep me");
  dir.WriteFile(L"dest\\0103\\01\\1200\\Work\\data.txt", "old");
  dir.WriteFile(L"dest\\0105\\22\\1200\\Work\\data.txt", "newer");
  const std::wstring link = dir.Path() + L"dest\\0103\\01\\1200\\Work\\link.txt";
  UnixLinks links;
  if (!links.Make(UnixPath(link), UnixPath(precious), link))
    GTEST_SKIP() << "no symbolic links here";
  RunExpectations expect;
  expect.may_go = {L"dest\\0103"};
  RunHere(expect);
  const bool link_left = win::Attributes(link) != INVALID_FILE_ATTRIBUTES;
  EXPECT_EQ(dir.ReadFile(L"outside\\precious.txt"), "keep me");
  EXPECT_TRUE(link_left);
  EXPECT_TRUE(LogHolds(
      Log(), "",
      {{kStart,
        {"\t" + Dest() + "\\0103 を削除できませんでした: " + win::ErrorReason(ERROR_NOT_SUPPORTED),
         kDone}}}));
}

TEST_F(KeptData, PathsWithDotsAndADoubledBackslashAreAccepted) {
  Describe("TO ends in a doubled backslash and FROM00 goes through \\.\\ and \\..\\.",
           "The run succeeds and the backup is where the plain paths would have put it.");
  Settings({{"TO", Dest() + "\\\\"}, {"FROM00", dir.PathA() + "src\\.\\Work\\sub\\..\\"}});
  Run();
  EXPECT_TRUE(LogHolds(Log(), "", {{kStart, {kDone}}}));
  EXPECT_TRUE(IsCopyOf(Backup(L"0105\\23\\0905\\Work"), Source(), true));
}

}  // namespace
}  // namespace yx::test
