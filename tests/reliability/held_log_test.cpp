// Archive runs whose surroundings are in a bad state: the month's log held by
// another program, and unfinished archives of a killed run in the day folder.
#include "base/byte_size.h"
#include "reliability/unattended_fixture.h"

#include "win/unique_handle.h"

namespace yx::test {
namespace {

class ArchiveRuns : public UnattendedTest {
 protected:
  void SetUp() override {
    program.AddArchiver();
    Settings({{"LHA_USE", "1"}});
  }
  [[nodiscard]] bool ArchiveMade() const {
    const std::wstring archive = L"dest\\0105\\23\\010523_0905.lzh";
    const std::string head = dir.Exists(archive) ? dir.ReadFile(archive).substr(2, 5) : "";
    return head.starts_with("-lh") && head.ends_with("-");
  }
};

TEST_F(ArchiveRuns, ALogHeldForWritingCostsNoBackupAndTheRunIsInTheErrorFile) {
  Describe(
      "Another program holds this month's log open for writing, sharing reading only, "
      "from before the start to the end of an archive run.",
      "The archive is made; the log is untouched; the exit status is 1 and log-error.txt "
      "holds the reason and the run's own lines, outcome included.");
  const std::wstring log = dir.WriteFile(L"log\\0105.log", "earlier\r\n");
  {
    win::UniqueFile holder(::CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    Run(ExitStatus(1));
  }
  EXPECT_TRUE(ArchiveMade());
  EXPECT_EQ(Log(), "earlier\r\n");
  const std::string fallback = dir.ReadFile(L"log-error.txt");
  const size_t reason =
      fallback.find("\tファイル " + dir.PathA() + "log\\0105.log を作成できません");
  const size_t lines = fallback.find("START=" + std::string(kStart) + "\r\n");
  EXPECT_TRUE(reason < lines && lines != std::string::npos) << fallback;
  EXPECT_NE(fallback.find(std::string(kDone) + "\r\n"), std::string::npos) << fallback;
}

TEST_F(ArchiveRuns, UnfinishedArchivesOfADeadRunAreRemovedAndNothingElse) {
  Describe(
      "The day folder holds unfinished archives a killed run left "
      "(yymmdd_hhnn.lzh.<pid>-<n>.tmp) beside look-alike names and one of a process "
      "still running; an archive run into that folder.",
      "The run succeeds; the dead run's files are gone; every other file is kept.");
  const std::wstring day = L"dest\\0105\\23\\";
  const std::wstring live = std::to_wstring(::GetCurrentProcessId());
  for (const wchar_t* name : {L"010523_0900.lzh.99999996-0.tmp", L"010523_0901.lzh.99999996-1.tmp"})
    dir.WriteFile(day + name, "partial");
  const std::wstring kept[] = {L"010523_0900.lzh." + live + L"-0.tmp", L"notes.lzh.99999996-0.tmp",
                               L"010523_0900.lzh.99999996-0.tmp.txt", L"010523_0900.lzh.tmp"};
  for (const std::wstring& name : kept) dir.WriteFile(day + name, "keep");
  RunExpectations expect;
  expect.gone = {day + L"010523_0900.lzh.99999996-0.tmp", day + L"010523_0901.lzh.99999996-1.tmp"};
  Run(expect);
  EXPECT_TRUE(ArchiveMade());
  for (const std::wstring& name : kept) EXPECT_EQ(dir.ReadFile(day + name), "keep");
  // What the run packed, read back from the archive.
  const std::string packed =
      "\t3 件を圧縮しました (アーカイブ " +
      FormatByteSize(dir.ReadFile(L"dest\\0105\\23\\010523_0905.lzh").size()) + ")";
  EXPECT_TRUE(LogHolds(Log(), "", {{kStart, {packed, kDone}}}));
}

}  // namespace
}  // namespace yx::test
