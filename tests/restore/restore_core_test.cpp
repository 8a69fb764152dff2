// The restore's decisions that need no file system: which names are
// backups, what the log says of them, what a selection takes, the name of a
// kept copy and the versions of a file.
#include <gtest/gtest.h>

#include "restore/backup_ref.h"
#include "restore/restore_plan.h"
#include "restore/run_outcomes.h"

namespace yx::restore {
namespace {

TEST(BackupNames, OnlyTheLayoutsNamesAreBackupsAndTheNewestComesFirst) {
  EXPECT_TRUE(CopyBackupOf("2601", "05", "0905"));
  EXPECT_FALSE(CopyBackupOf("2601", "05", "2400")) << "no hour 24";
  EXPECT_FALSE(CopyBackupOf("2601", "32", "0905"));
  EXPECT_FALSE(CopyBackupOf("2602", "30", "0905")) << "no 30 February";
  EXPECT_FALSE(CopyBackupOf("2601", "05", "Work"));
  EXPECT_EQ(ArchiveBackupOf("2601", "05", "260105_0905.LZH")->id, "260105_0905");
  EXPECT_FALSE(ArchiveBackupOf("2601", "06", "260105_0905.lzh")) << "another day's archive";
  EXPECT_FALSE(ArchiveBackupOf("2601", "05", "260105_0905.lzh.12-1.tmp"));

  std::vector<BackupRef> refs{*ArchiveBackupOf("9912", "31", "991231_2359.lzh"),
                              *ArchiveBackupOf("0105", "23", "010523_0905.lzh"),
                              *CopyBackupOf("0105", "23", "0905"),
                              *CopyBackupOf("0105", "23", "0904")};
  SortNewestFirst(refs);
  EXPECT_EQ(refs[0].relative, "0105\\23\\0905\\");
  EXPECT_EQ(refs[1].relative, "0105\\23\\010523_0905.lzh");
  EXPECT_EQ(refs[2].id, "010523_0904");
  EXPECT_EQ(refs[3].id, "991231_2359") << "1999 is older than 2001";
  EXPECT_EQ(ShownTime("010523_0905"), "01/05/23 09:05");
}

TEST(RunOutcomes, TheRunWhoseMinutesSpanABackupGivesItsOutcome) {
  const std::string log =
      "START=26/01/05 09:04:59\r\n\tバックアップ正常終了\r\n\t処理時間=00:02:00\r\n"
      "END=26/01/05 09:06:59\r\n"
      "START=26/01/05 09:05:30\r\n\tバックアップの作成に失敗しました\r\nEND=26/01/05 09:05:31\r\n"
      "RESTORE=26/01/05 10:00:00 260105_0905 Work → C:\\Data\\\r\n"
      "START=26/01/06 12:00:00\r\n\tバックアップを中断しました\r\nEND=26/01/06 12:01:00\r\n"
      "START=26/01/07 12:00:00\n\tバックアップ正常終了\n";  // killed before its END=
  const std::vector<LoggedRun> runs = LoggedRuns(log);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(OutcomeText(RunOf(runs, "260105_0906")), "正常終了");
  EXPECT_EQ(OutcomeText(RunOf(runs, "260105_0905")), "正常終了")
      << "a second run of the minute that failed leaves the first one's backup as it was";
  EXPECT_EQ(OutcomeText(RunOf(runs, "260106_1201")), "中断");
  EXPECT_EQ(OutcomeText(RunOf(runs, "260107_1200")), "記録なし");
  EXPECT_EQ(
      OutcomeText(RunOf(LoggedRuns("START=26/01/08 00:00:00\r\n\tバックアップの作成に失敗しました"
                                   "\r\nEND=26/01/08 00:01:00"),
                        "260108_0001")),
      "失敗");
}

std::vector<StoredEntry> Archive() {
  // The order an archive keeps: a folder's entry after what it holds.
  std::vector<StoredEntry> e(6);
  e[0].path = u"Work\\sub\\a.txt";
  e[1].path = u"Work\\sub";
  e[1].folder = true;
  e[2].path = u"Work\\b.txt";
  e[3].path = u"Work";
  e[3].folder = true;
  e[4].path = u"Work2\\c.txt";
  e[5].path = u"Work2";
  e[5].folder = true;
  return e;
}

TEST(RestorePlan, AFolderTakesItsTreeFoldersFirstAndNothingOfANeighbourWithALongerName) {
  const std::vector<StoredEntry> entries = Archive();
  std::vector<std::u16string> missing;
  const std::vector<PlannedEntry> plan =
      PlanRestore(entries, {u"work\\", u"Work\\b.txt", u"Mail"}, missing);
  std::vector<std::u16string> relative;
  for (const PlannedEntry& p : plan) relative.push_back(p.relative);
  EXPECT_EQ(relative, (std::vector<std::u16string>{u"Work", u"Work\\sub", u"Work\\sub\\a.txt",
                                                   u"Work\\b.txt"}));
  EXPECT_EQ(missing, std::vector<std::u16string>{u"Mail"});

  missing.clear();
  const std::vector<PlannedEntry> one = PlanRestore(entries, {u"Work\\sub\\a.txt"}, missing);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].relative, u"a.txt") << "an item lands under its own name";
}

TEST(RestorePlan, AKeptCopyNamesItsBackupBeforeTheExtension) {
  EXPECT_EQ(KeepBothName(u"見積書.xlsx", "260105_0905", 1), u"見積書 (260105_0905).xlsx");
  EXPECT_EQ(KeepBothName(u"a.tar.gz", "260105_0905", 2), u"a.tar (260105_0905 2).gz");
  EXPECT_EQ(KeepBothName(u"README", "260105_0905", 1), u"README (260105_0905)");
  EXPECT_EQ(KeepBothName(u".profile", "260105_0905", 1), u".profile (260105_0905)");
}

TEST(RestorePlan, VersionsMarkWhereTheFileChangedAndTheOriginalMapsToItsStoredPath) {
  StoredEntry v1, v2;
  v1.size = 10;
  v1.modified = 100;
  v2 = v1;
  v2.modified = 200;
  // Newest first: backups 0 and 1 hold v2, 2 lacks the file, 3 holds v1.
  const std::vector<VersionRow> rows = Versions({v2, v2, std::nullopt, v1});
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].backup, 0u);
  EXPECT_FALSE(rows[0].changed);
  EXPECT_EQ(rows[1].backup, 1u);
  EXPECT_TRUE(rows[1].changed);
  EXPECT_EQ(rows[2].backup, 3u);
  EXPECT_FALSE(rows[2].changed) << "the oldest version has nothing older to differ from";

  const std::vector<std::u16string> sources{u"C:\\", u"D:\\Mail", u"C:\\Data\\Work\\"};
  EXPECT_EQ(StoredPathOf(u"c:\\data\\work\\a\\q1.txt", sources), u"Work\\a\\q1.txt");
  EXPECT_EQ(StoredPathOf(u"D:\\Mail\\", sources), u"Mail");
  EXPECT_FALSE(StoredPathOf(u"C:\\Data\\Workshop\\q1.txt", sources));
}

}  // namespace
}  // namespace yx::restore
