// The window-free run in this process against real folders, with a clock
// that stands where the test puts it: its log lines byte for byte, what it
// leaves in the destination, and what it shows to its sink.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/run_fixture.h"
#include "support/unix_links.h"
#include "win/fault_line.h"
#include "win/text.h"

namespace yx::test {
namespace {

constexpr char kDone[] = "\tバックアップ正常終了\r\n";
constexpr char kFailed[] = "\tバックアップの作成に失敗しました\r\n";

class BackupRun : public RunTest {
 protected:
  BackupRun() { settings.sources[0].clear(); }
  std::string SourceTree(const std::wstring& name) {
    dir.WriteFile(L"src\\" + name + L"\\a.txt", "alpha");
    dir.WriteFile(L"src\\" + name + L"\\sub\\b.txt", std::string(3000, 'b'));
    return win::FromWide(dir.Path() + L"src\\" + name);
  }
  void Sources(const std::vector<std::string>& sources) {
    for (size_t row = 0; row < sources.size(); ++row) settings.sources[row] = sources[row];
  }
  // The line naming what could not be backed up, as the system words `error`.
  std::string Fault(const std::wstring& relative, DWORD error) {
    return "\t" + win::FaultLine(dir.Path() + relative, error) + "\r\n";
  }
  static std::string Log(std::string_view lines, std::string_view elapsed = "00:00:00",
                         std::string_view end = "01/05/23 09:05:00") {
    return "START=01/05/23 09:05:00\r\n" + std::string(lines) +
           "\t処理時間=" + std::string(elapsed) + "\r\nEND=" + std::string(end) + "\r\n";
  }
};

TEST_F(BackupRun, EachSourceIsCopiedUnderItsLastFolderNameAndShownToTheSink) {
  const std::string work = SourceTree(L"Work");
  const std::string mail = SourceTree(L"Mail") + "\\";  // with and without a final backslash
  Sources({work, "", mail});
  settings.destination = Dest() + "\\";
  EXPECT_EQ(Run(), Log(kDone));
  EXPECT_EQ(outcome, backup::RunOutcome::kDone);
  EXPECT_EQ(dir.ReadFile(L"dest\\0105\\23\\0905\\Work\\a.txt"), "alpha");
  EXPECT_EQ(dir.ReadFile(L"dest\\0105\\23\\0905\\Mail\\sub\\b.txt"), std::string(3000, 'b'));
  // Messages go through as the backup begins, at each source's count and
  // before and after each descent, at the total, at the start of each copy
  // and each folder entered, and once by time (the fourth file).
  EXPECT_EQ(sink.events.front(), "begin copy");
  EXPECT_EQ(sink.events.back(), "end");
  EXPECT_EQ(std::ranges::count(sink.events, "report"), 1 + 2 * 3 + 1 + 2 * 2 + 1);
  EXPECT_EQ(sink.total, 4);
  EXPECT_EQ(sink.copied, 4);
}

TEST_F(BackupRun, ASecondRunInTheSameMinuteFailsAtItsFirstSourceAfterItsSweep) {
  Sources({SourceTree(L"Work")});
  settings.kill_use = true;
  EXPECT_EQ(Run(), Log(kDone));
  dir.MakeFolder(L"dest\\0003\\01\\1200");
  const std::string first = log.Text();
  EXPECT_EQ(Run(),
            first + Log("\t" + Dest() + "\\0003 を削除しました\r\n" +
                        Fault(L"dest\\0105\\23\\0905\\Work\\", ERROR_ALREADY_EXISTS) + kFailed));
  EXPECT_EQ(outcome, backup::RunOutcome::kFailed);
  EXPECT_FALSE(dir.Exists(L"dest\\0003"));
}

TEST_F(BackupRun, TwoSourcesWithTheSameLastNameFailAtTheSecond) {
  const std::string a = SourceTree(L"Work");
  dir.WriteFile(L"other\\Work\\c.txt", "c");
  Sources({a, dir.PathA() + "other\\Work"});
  EXPECT_EQ(Run(), Log(Fault(L"dest\\0105\\23\\0905\\Work\\", ERROR_ALREADY_EXISTS) + kFailed));
  EXPECT_EQ(dir.ReadFile(L"dest\\0105\\23\\0905\\Work\\a.txt"), "alpha");
  EXPECT_FALSE(dir.Exists(L"dest\\0105\\23\\0905\\Work\\c.txt"));
}

TEST_F(BackupRun, ADriveRootFailsACopyRunAfterTheCount) {
  dir.WriteFile(L"drive\\a.txt", "a");
  UnixLinks links;
  const std::wstring drive = links.MakeDrive(dir.Path() + L"drive");
  ASSERT_FALSE(drive.empty());
  Sources({win::FromWide(drive) + "\\"});
  EXPECT_EQ(Run(),
            Log("\t" + win::FaultLine(drive + L"\\", ERROR_INVALID_NAME) + "\r\n" + kFailed));
  EXPECT_EQ(sink.total, 1) << "the counting pass ran before the copy found no name";
  EXPECT_TRUE(dir.Exists(L"dest\\0105\\23\\0905\\"));
}

TEST_F(BackupRun, ElapsedTimeDropsWholeDaysAndTheCheckSeesTheStart) {
  // Each reading of the clock is 25 hours after the one before: the start,
  // the backup's own time (the target folder) and the end.
  step = 25.0 / 24;
  DateTime checked_at = 0;
  request.check = [&](DateTime reference) {
    checked_at = reference;
    return yx::settings::RunCutOffs(settings, reference);
  };
  EXPECT_EQ(Run(), Log(kDone, "02:00:00", "01/05/25 11:05:00"));
  EXPECT_EQ(checked_at, EncodeDateTime(2001, 5, 23, 9, 5));
  EXPECT_TRUE(dir.Exists(L"dest\\0105\\24\\1005\\"));
}

TEST_F(BackupRun, AnAbortAsTheBackupBeginsStopsTheRunAtTheCount) {
  Sources({SourceTree(L"Work")});
  sink.cancel = true;  // a stale flag from an earlier run is cleared
  sink.PressAbort();
  EXPECT_EQ(Run(), Log("\tバックアップを中断しました\r\n"));
  EXPECT_EQ(outcome, backup::RunOutcome::kCancelled);
  EXPECT_TRUE(dir.Exists(L"dest\\0105\\23\\0905\\")) << "the target folder stays";
  EXPECT_FALSE(dir.Exists(L"dest\\0105\\23\\0905\\Work"));
}

// A share that came up empty must not pass for a good backup: the run fails
// naming it, and the real backup, though expired, stays the newest one kept.
TEST_F(BackupRun, AnEmptySourceFailsTheRunAndLetsNoRealBackupExpire) {
  dir.WriteFile(L"dest\\0105\\05\\0900\\Work\\a.txt", "real");
  dir.MakeFolder(L"src\\Work\\empty");
  Sources({dir.PathA() + "src\\Work"});
  settings.kill_use = true;
  settings.kill_value = 7;
  for (int run = 0; run < 2; ++run) {
    EXPECT_NE(Run().find("\tPATH=" + dir.PathA() +
                         "src\\Work\\ にはバックアップするファイルがありません\r\n" + kFailed),
              std::string::npos)
        << log.Text();
    EXPECT_EQ(outcome, backup::RunOutcome::kFailed);
  }
  EXPECT_EQ(dir.ReadFile(L"dest\\0105\\05\\0900\\Work\\a.txt"), "real");
}

}  // namespace
}  // namespace yx::test
