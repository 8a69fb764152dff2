// Faults staged from outside the real program: files held open by another
// process, paths taken by files, links, and a log that cannot be read or
// written. Each is one unattended run of the real Yorudex.exe, or, where the
// case is about the run alone, the window-free run in this process.
#include "reliability/unattended_fixture.h"
#include "support/unix_links.h"

#include "win/file_system.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace yx::test {
namespace {

using FaultsOutsideTheProgram = UnattendedTest;

TEST_F(FaultsOutsideTheProgram, ReadOnlyHiddenAndSystemSourceFilesAreCopiedAndKeepTheirMarks) {
  Describe("Source files marked read-only, hidden and system.",
           "The run succeeds; they are copied byte for byte; the sources keep their attributes.");
  Settings();
  const std::wstring base = dir.Path() + L"src\\Work\\";
  for (const auto& [name, mark] : {std::pair{L"ro.txt", FILE_ATTRIBUTE_READONLY},
                                   std::pair{L"hidden.txt", FILE_ATTRIBUTE_HIDDEN},
                                   std::pair{L"system.txt", FILE_ATTRIBUTE_SYSTEM}}) {
    dir.WriteFile(L"src\\Work\\" + std::wstring(name), "marked");
    ASSERT_TRUE(::SetFileAttributesW((base + name).c_str(), mark));
  }
  RunHere();
  EXPECT_TRUE(LogHolds(Log(), "", {{kStart, {kDone}}}));
  EXPECT_TRUE(IsCopyOf(Backup(L"0105\\23\\0905\\Work"), Source(), true));
  EXPECT_NE(win::Attributes(base + L"ro.txt") & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST_F(FaultsOutsideTheProgram, AMonthFolderNameTakenByAFileFailsTheRun) {
  Describe("A file named like this month's backup folder (0105) lies in the destination.",
           "The target folder cannot be made: a line naming it with the system's reason, then the "
           "failure line, is logged after the check; the file is untouched.");
  Settings();
  dir.WriteFile(L"dest\\0105", "in the way");
  RunHere();
  const std::wstring target = dir.Path() + L"dest\\0105\\23\\0905\\";
  EXPECT_TRUE(LogHolds(Log(), "", {{kStart, {FaultText(target, ERROR_ALREADY_EXISTS), kFailed}}}));
  EXPECT_EQ(dir.ReadFile(L"dest\\0105"), "in the way");
}

TEST_F(FaultsOutsideTheProgram, ATimeFolderNameTakenByAFileFailsTheRun) {
  Describe("A file named like this run's time folder (0105\\23\\0905) is already there.",
           "A line naming the folder with the system's reason and the failure line are logged; "
           "the file is untouched; nothing is copied.");
  Settings();
  dir.WriteFile(L"dest\\0105\\23\\0905", "in the way");
  RunHere();
  const std::wstring target = dir.Path() + L"dest\\0105\\23\\0905\\";
  EXPECT_TRUE(LogHolds(Log(), "", {{kStart, {FaultText(target, ERROR_ALREADY_EXISTS), kFailed}}}));
  EXPECT_EQ(dir.ReadFile(L"dest\\0105\\23\\0905"), "in the way");
}

TEST_F(FaultsOutsideTheProgram, AMonthOrDayFolderThatIsALinkFailsTheRunAndNothingGoesThere) {
  Describe(
      "This month's (0105) or this day's (0105\\23) backup folder is a link to a folder "
      "outside the destination.",
      "A line naming the link and the failure line are logged; nothing is written where the "
      "link leads.");
  Settings();
  UnixLinks links;
  const struct {
    const wchar_t* folder;
    const wchar_t* month;  // of the run and its log
    const char* now;
    const char* start;
  } cases[] = {{L"dest\\0105", L"0105", "2001-05-23 09:05:00", "01/05/23 09:05:00"},
               {L"dest\\0106\\23", L"0106", "2001-06-23 09:05:00", "01/06/23 09:05:00"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(win::FromWide(c.folder));
    const std::wstring elsewhere = dir.MakeFolder(L"far\\" + std::wstring(c.month));
    // The link's own folder (the month, for a day's link) is there as a run
    // leaves it.
    const std::wstring link = dir.Path() + c.folder;
    ASSERT_TRUE(win::CreateFolderTree(link.substr(0, link.find_last_of(L'\\'))));
    if (!links.Make(UnixPath(dir.Path() + c.folder), UnixPath(elsewhere), dir.Path() + c.folder))
      GTEST_SKIP() << "no symbolic links here";
    Run({}, c.now);
    const std::string line = "\tPATH=" + win::FromWide(dir.Path() + c.folder) +
                             " はリンクなので、その先にはバックアップしません";
    const std::string log = program.Log(c.month);
    EXPECT_TRUE(LogHolds(log, "", {{c.start, {line, kFailed}}})) << log;
    EXPECT_EQ(FileCount(Snapshot(elsewhere)), 0u);
  }
}

TEST_F(FaultsOutsideTheProgram, AReadOnlyDestinationFolderFailsTheRunWhereTheSystemEnforcesIt) {
  Describe("The destination folder is made read-only.",
           "Where read-only is enforced, the failure line is logged and nothing is written.");
  Settings();
  const std::wstring dest = dir.Path() + L"dest";
  ASSERT_TRUE(::SetFileAttributesW(dest.c_str(), FILE_ATTRIBUTE_READONLY));
  const bool enforced = !::CreateDirectoryW((dest + L"\\probe").c_str(), nullptr);
  if (!enforced) {
    (void)::RemoveDirectoryW((dest + L"\\probe").c_str());
    (void)::SetFileAttributesW(dest.c_str(), FILE_ATTRIBUTE_NORMAL);
    GTEST_SKIP() << "a read-only folder is still writable here (Wine run as root)";
  }
  Run();
  (void)::SetFileAttributesW(dest.c_str(), FILE_ATTRIBUTE_NORMAL);
  const std::wstring target = dest + L"\\0105\\23\\0905\\";
  EXPECT_TRUE(LogHolds(Log(), "", {{kStart, {FaultText(target, ERROR_ACCESS_DENIED), kFailed}}}));
}

TEST_F(FaultsOutsideTheProgram, ASourceThatIsALinkIsCopiedAsTheFolderItLeadsTo) {
  Describe("The source setting names a symbolic link to a folder.",
           "The folder behind the link is copied whole under the link's name; the run succeeds.");
  SourceTree(L"Real");
  const std::wstring link = dir.Path() + L"src\\Linked";
  UnixLinks links;
  if (!links.Make(UnixPath(link), UnixPath(dir.Path() + L"src\\Real"), link))
    GTEST_SKIP() << "no symbolic links here";
  Settings({{"FROM00", dir.PathA() + "src\\Linked"}});
  Run();
  EXPECT_TRUE(LogHolds(Log(), "", {{kStart, {kDone}}}));
  EXPECT_TRUE(IsCopyOf(Backup(L"0105\\23\\0905\\Linked"), Source(L"Real"), true));
}

TEST_F(FaultsOutsideTheProgram, ALinkBackIntoTheSourceIsLeftOutAndTheRunEnds) {
  Describe("A source holds a symbolic link to its own parent folder (a cycle).",
           "The run ends by itself and succeeds; the link is left out; everything else is copied.");
  Settings();
  const std::wstring link = dir.Path() + L"src\\Work\\sub\\loop";
  UnixLinks links;
  if (!links.Make(UnixPath(link), UnixPath(dir.Path() + L"src\\Work"), link))
    GTEST_SKIP() << "no symbolic links here";
  const Tree source = Source();
  RunHere();
  EXPECT_TRUE(LogHolds(Log(), "", {{kStart, {kDone}}}));
  const Tree copy = Backup(L"0105\\23\\0905\\Work");
  EXPECT_FALSE(copy.contains(L"sub\\loop"));
  EXPECT_TRUE(IsCopyOf(copy, source, true));
}

TEST_F(FaultsOutsideTheProgram, ASourceThatIsADanglingLinkIsReportedAsMissing) {
  Describe("The source setting names a symbolic link whose folder was removed.",
           "The check reports the source as missing and the run stops; nothing is copied.");
  dir.MakeFolder(L"src\\Gone");
  const std::wstring link = dir.Path() + L"src\\Dangling";
  UnixLinks links;
  if (!links.Make(UnixPath(link), UnixPath(dir.Path() + L"src\\Gone"), link))
    GTEST_SKIP() << "no symbolic links here";
  ASSERT_TRUE(::RemoveDirectoryW((dir.Path() + L"src\\Gone").c_str()));
  const std::string source = dir.PathA() + "src\\Dangling";
  Settings({{"FROM00", source}});
  Run();
  dir.MakeFolder(L"src\\Gone");
  EXPECT_TRUE(LogHolds(Log(), "",
                       {{kStart,
                         {"\tPATH=" + source + "バックアップ元のフォルダが存在しません", kStopped},
                         false}}));
  EXPECT_FALSE(dir.Exists(L"dest\\0105"));
}

TEST_F(FaultsOutsideTheProgram, ALogFolderThatIsAFileEndsWithStatusOneAndTheFallbackFile) {
  Describe("A file named log lies where the log folder belongs.",
           "The run still backs up; the log cannot be saved, so the exit status is 1 and "
           "log-error.txt says which file could not be made; the file named log is untouched.");
  Settings();
  dir.WriteFile(L"log", "not a folder");
  Run(ExitStatus(1));
  EXPECT_EQ(dir.ReadFile(L"log"), "not a folder");
  const std::string fallback = dir.ReadFile(L"log-error.txt");
  EXPECT_NE(
      fallback.find("\tファイル " + dir.PathA() + "log\\0105.log を作成できません: エラー 3 "),
      std::string::npos)
      << fallback;
  EXPECT_TRUE(IsCopyOf(Backup(L"0105\\23\\0905\\Work"), Source(), true));
}

TEST_F(FaultsOutsideTheProgram, ALogHeldOpenWithoutSharingIsNeverOverwritten) {
  Describe("Another process holds this month's log open without sharing for the whole run.",
           "The log cannot be read or replaced: exit status 1, log-error.txt names it, and the "
           "log still holds its earlier lines byte for byte.");
  Settings();
  const std::string earlier = "START=01/05/01 12:00:00\r\n\tバックアップ正常終了\r\n";
  const std::wstring log = dir.WriteFile(L"log\\0105.log", earlier);
  {
    const win::UniqueFile file = HoldOpen(log);
    ASSERT_TRUE(file);
    Run(ExitStatus(1));
  }
  EXPECT_EQ(Log(), earlier);
  EXPECT_NE(dir.ReadFile(L"log-error.txt").find("log\\0105.log を作成できません"),
            std::string::npos);
}

// The save writes a new file and renames it over the log, which fails while
// any other handle to the log is open; a viewer that shares writing lets the
// run's lines be added in place after the unchanged earlier bytes.
TEST_F(FaultsOutsideTheProgram, ALogOpenInAViewerThatSharesWritingIsStillSaved) {
  Describe("A log viewer holds this month's log open sharing reading, writing and deleting.",
           "The run's lines reach the log after its earlier lines; exit status 0.");
  Settings();
  const std::string earlier = "START=01/05/01 12:00:00\r\n\tバックアップ正常終了\r\n";
  const std::wstring log = dir.WriteFile(L"log\\0105.log", earlier);
  {
    const win::UniqueFile file =
        HoldOpen(log, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    ASSERT_TRUE(file);
    Run();
  }
  EXPECT_TRUE(LogHolds(Log(), earlier, {{kStart, {kDone}}}));
}

}  // namespace
}  // namespace yx::test
