// The retention sweep over real destination trees, for a run on Wednesday
// 2001-05-23 09:05.
#include <gtest/gtest.h>

#include <algorithm>

#include "sweep_fixture.h"
#include "win/text.h"

namespace yx::test {
namespace {

std::vector<int> Range(int first, int last, std::vector<int> except = {}) {
  std::vector<int> days;
  for (int d = first; d <= last; ++d) {
    if (std::find(except.begin(), except.end(), d) == except.end()) days.push_back(d);
  }
  return days;
}

std::vector<std::wstring> DayPaths(std::wstring_view month, const std::vector<int>& days) {
  std::vector<std::wstring> paths;
  for (int d : days) paths.push_back(std::wstring(month) + L"\\" + TwoDigits(d));
  return paths;
}

std::vector<std::wstring> Joined(std::vector<std::wstring> a, const std::vector<std::wstring>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

void MakeForeignEntries(const SweepTest& t) {
  t.File(L"notes.txt");
  t.File(L"0103");  // a file named like a month
  t.Folder(L"0000\\01");
  t.Folder(L"01052\\01");
  t.Folder(L"backup\\01");
  t.Folder(L"0a03\\01");
}

void ExpectForeignEntries(const SweepTest& t) {
  for (auto path : {L"notes.txt", L"0103", L"0000\\01", L"01052\\01", L"backup\\01", L"0a03\\01"}) {
    EXPECT_TRUE(t.Exists(path)) << win::FromWide(path);
  }
}

TEST_F(SweepTest, ForcedThirtyDaysTakesWholeEarlierMonthsAndTheDaysUpToTheCutOff) {
  for (auto month : {L"0012", L"0101", L"0102", L"0103"}) Days(month, 1, 2);
  Days(L"0104", 1, 31);
  Days(L"0105", 1, 23);
  Forced(30);  // 2001-04-23

  EXPECT_EQ(Sweep(), DeletedAll(Joined({L"0012", L"0101", L"0102", L"0103"},
                                       DayPaths(L"0104", Range(1, 23)))));
  for (auto month : {L"0012", L"0101", L"0102", L"0103"}) EXPECT_FALSE(Exists(month));
  EXPECT_EQ(DaysLeft(L"0104"), Range(24, 31));
  EXPECT_EQ(DaysLeft(L"0105"), Range(1, 23));
  EXPECT_TRUE(Exists(L"0104\\24\\0905\\Work\\data.txt"));
}

TEST_F(SweepTest, ForcedRuleTakesDayThirtyOneOnlyWithItsWholeMonth) {
  Days(L"0104", 30, 31);
  Days(L"0105", 1, 10);
  Forced(14);  // 2001-05-09

  EXPECT_EQ(Sweep(), DeletedAll(Joined({L"0104"}, DayPaths(L"0105", Range(1, 9)))));
  EXPECT_FALSE(Exists(L"0104"));
  EXPECT_EQ(DaysLeft(L"0105"), std::vector<int>{10});
}

TEST_F(SweepTest, SelectiveFourteenDaysKeepsTheSundays) {
  Days(L"0103", 1, 31);
  Days(L"0104", 1, 31);
  Days(L"0105", 1, 23);
  Selective(14, kSundaysKept);  // 2001-05-09

  // Sundays: March 4 11 18 25, April 1 8 15 22 29, May 6. April 31 is no date.
  const auto march = Range(1, 31, {4, 11, 18, 25});
  const auto april = Range(1, 30, {1, 8, 15, 22, 29});
  const auto may = Range(1, 9, {6});
  EXPECT_EQ(Sweep(), DeletedAll(Joined(Joined(DayPaths(L"0103", march), DayPaths(L"0104", april)),
                                       DayPaths(L"0105", may))));
  EXPECT_EQ(DaysLeft(L"0103"), (std::vector<int>{4, 11, 18, 25}));
  EXPECT_EQ(DaysLeft(L"0104"), (std::vector<int>{1, 8, 15, 22, 29, 31}));
  EXPECT_EQ(DaysLeft(L"0105"), Range(6, 23, {7, 8, 9}));
}

TEST_F(SweepTest, WithBothRulesOffNothingIsTouched) {
  Days(L"0012", 1, 3);
  Days(L"0104", 1, 3);
  File(L"0105\\010509_1200.lzh");
  Folder(L"0101");  // empty
  MakeForeignEntries(*this);

  EXPECT_TRUE(Sweep().empty());
  EXPECT_EQ(DaysLeft(L"0012"), Range(1, 3));
  EXPECT_EQ(DaysLeft(L"0104"), Range(1, 3));
  EXPECT_TRUE(Exists(L"0105\\010509_1200.lzh"));
  EXPECT_TRUE(Exists(L"0101"));
  ExpectForeignEntries(*this);
}

TEST_F(SweepTest, MonthNinetyNineTwelveIsNeverTooOldButIsDatedIn1999) {
  Days(L"9912", 1, 31);
  Forced(30);
  Selective(14, kSundaysKept);
  EXPECT_TRUE(Sweep().empty());
  EXPECT_EQ(DaysLeft(L"9912"), Range(1, 31));

  // A selective cut-off of 1999-12-31 with only Mondays flagged: the Mondays
  // of December 1999 are 6 13 20 27 (those of 2099 would be 7 14 21 28).
  context_.kill_on = false;
  context_.del_limit = EncodeDateTime(1999, 12, 31, 9, 5);
  flags_ = {true, false, false, false, false, false, false};
  EXPECT_EQ(Sweep(), DeletedAll(DayPaths(L"9912", {6, 13, 20, 27})));
  EXPECT_EQ(DaysLeft(L"9912"), Range(1, 31, {6, 13, 20, 27}));
}

TEST_F(SweepTest, ArchivesOfTheSelectiveCutOffDayOnly) {
  File(L"0105\\010509_1200.lzh");
  File(L"0105\\010509_0800.LZH");
  File(L"0105\\010508_1200.lzh");
  File(L"0105\\010509_1200.txt");
  File(L"0105\\010509_1200.lzh.bak");
  File(L"0104\\010409_1200.lzh");
  Selective(14, {false, false, true, false, false, false, false});  // Wednesday only

  EXPECT_EQ(Sweep(), DeletedAll({L"0105\\010509_1200.lzh", L"0105\\010509_0800.LZH"}));
  EXPECT_FALSE(Exists(L"0105\\010509_1200.lzh"));
  EXPECT_FALSE(Exists(L"0105\\010509_0800.LZH"));
  for (auto kept : {L"0105\\010508_1200.lzh", L"0105\\010509_1200.txt",
                    L"0105\\010509_1200.lzh.bak", L"0104\\010409_1200.lzh"}) {
    EXPECT_TRUE(Exists(kept)) << win::FromWide(kept);
  }
}

TEST_F(SweepTest, ArchivesOfAnUnflaggedWeekdayStay) {
  File(L"0105\\010509_1200.lzh");
  Selective(14, kSundaysKept);
  flags_[2] = false;  // Wednesday
  EXPECT_TRUE(Sweep().empty());
  EXPECT_TRUE(Exists(L"0105\\010509_1200.lzh"));
}

TEST_F(SweepTest, ForcedRuleTakesArchivesOfItsCutOffDayWhateverTheWeekday) {
  File(L"0104\\010423_0905.lzh");
  File(L"0104\\010422_0905.lzh");
  File(L"0104\\010424_0905.lzh");
  Forced(30);
  flags_ = {};
  EXPECT_EQ(Sweep(), DeletedAll({L"0104\\010423_0905.lzh"}));
  EXPECT_TRUE(Exists(L"0104\\010422_0905.lzh"));
  EXPECT_TRUE(Exists(L"0104\\010424_0905.lzh"));
}

TEST_F(SweepTest, EmptyMonthFoldersGoWithoutALine) {
  Folder(L"0103");
  Folder(L"0104");
  Folder(L"0105");
  Forced(30);
  // 0103 sorts before the cut-off month and goes whole, with its line; 0104
  // is the cut-off month and goes without one.
  EXPECT_EQ(Sweep(), DeletedAll({L"0103"}));
  EXPECT_FALSE(Exists(L"0104"));
  EXPECT_TRUE(Exists(L"0105"));
}

TEST_F(SweepTest, EmptyMonthFoldersUpToTheSelectiveCutOffAreRemoved) {
  Folder(L"0104");
  Folder(L"0105");
  Folder(L"0106");
  Selective(14, kSundaysKept);
  EXPECT_TRUE(Sweep().empty());
  EXPECT_FALSE(Exists(L"0104"));
  EXPECT_FALSE(Exists(L"0105"));
  EXPECT_TRUE(Exists(L"0106"));
}

TEST_F(SweepTest, TheNewestBackupStaysWithOneLineWhateverRulesReachIt) {
  newer_backup_ = false;
  Days(L"9912", 1, 31);  // 1999: older than 0103 though it sorts after it
  Days(L"0103", 1, 1);
  Days(L"0104", 4, 4);  // the newest, a Wednesday
  Folder(L"0104\\05");  // an empty day folder is no backup
  Forced(14);
  Selective(14, kSundaysKept);
  std::vector<std::string> expected{Deleted(L"0103"), Deleted(L"0104\\05"),
                                    RootA() + "0104\\04 は最新のバックアップのため残しました"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Sweep(), expected);
  EXPECT_EQ(DaysLeft(L"0104"), std::vector<int>{4});
  EXPECT_EQ(DaysLeft(L"9912").size(), 31u);
}

TEST_F(SweepTest, AMonthEmptiedByASweepGoesWithTheNextOne) {
  Days(L"0104", 2, 2);  // a Monday
  Selective(14, kSundaysKept);
  EXPECT_EQ(Sweep(), DeletedAll({L"0104\\02"}));
  EXPECT_TRUE(Exists(L"0104"));
  EXPECT_TRUE(Sweep().empty());
  EXPECT_FALSE(Exists(L"0104"));
}

TEST_F(SweepTest, ForeignNamesAreNeverTouched) {
  MakeForeignEntries(*this);
  File(L"0104\\notes.txt");
  Folder(L"0104\\backup");
  Folder(L"0104\\1");
  Folder(L"0104\\001");
  Folder(L"0104\\00");
  File(L"0104\\05");  // a file named like a day
  Forced(30);
  Selective(14, kSundaysKept);

  EXPECT_TRUE(Sweep().empty());
  ExpectForeignEntries(*this);
  for (auto path :
       {L"0104\\notes.txt", L"0104\\backup", L"0104\\1", L"0104\\001", L"0104\\00", L"0104\\05"}) {
    EXPECT_TRUE(Exists(path)) << win::FromWide(path);
  }
}

TEST_F(SweepTest, ForcedRuleSweepsAMonthFirstAndEachDayIsLoggedOnce) {
  Days(L"0104", 1, 31);
  Forced(30);
  Selective(14, kSundaysKept);
  // Forced: 01-23 whatever the weekday. Then selective: 24-30 but Sunday 29.
  EXPECT_EQ(Sweep(), DeletedAll(DayPaths(L"0104", Range(1, 30, {29}))));
  EXPECT_EQ(DaysLeft(L"0104"), (std::vector<int>{29, 31}));
}

TEST_F(SweepTest, ARootWithoutItsFinalBackslashSweepsNothing) {
  Days(L"0101", 1, 1);
  Forced(30);
  const std::string root = RootA();
  backup::SweepDestination(context_, root.substr(0, root.size() - 1));
  backup::SweepDestination(context_, "");
  EXPECT_TRUE(Exists(L"0101\\01\\0905\\Work\\data.txt"));
}

TEST_F(SweepTest, ACancelBeforeTheSweepStopsIt) {
  Days(L"0101", 1, 1);
  Folder(L"0104");
  Forced(30);
  cancel_ = true;
  EXPECT_TRUE(Sweep().empty());
  EXPECT_TRUE(Exists(L"0101\\01\\0905\\Work\\data.txt"));
  EXPECT_TRUE(Exists(L"0104"));
}

TEST_F(SweepTest, ACancelLeavesTheFolderThatDeleteTreeWasGivenInPlace) {
  Days(L"0105", 2, 3);
  Selective(14, kSundaysKept);
  // The weekday test comes right before the deletion.
  on_weekday_ = [this](int) { cancel_ = true; };
  const auto lines = Sweep();
  ASSERT_EQ(lines.size(), 1u);  // logged whether or not it was deleted
  EXPECT_EQ(DaysLeft(L"0105"), Range(2, 3));
  EXPECT_TRUE(Exists(L"0105\\02\\0905\\Work\\data.txt"));
  EXPECT_TRUE(Exists(L"0105\\03\\0905\\Work\\data.txt"));
}

TEST_F(SweepTest, LogLinesKeepTheRootsCp932BytesAndNamesOutsideCp932AreDeleted) {
  UseRoot(L"バックアップ表");  // 表 is 95 5C: its trail byte is a backslash
  Days(L"0103", 1, 1);
  File(L"0105\\010509_12\u00e9.lzh");  // é has no CP932 form
  Forced(30);
  Selective(14, kSundaysKept);

  const std::string root = RootA();
  ASSERT_TRUE(root.ends_with("\x83\x6f\x83\x62\x83\x4e\x83\x41\x83\x62\x83\x76\x95\x5c\\"));
  EXPECT_EQ(Sweep(), (std::vector<std::string>{root + "0103 を削除しました",
                                               root + "0105\\010509_12?.lzh を削除しました"}));
  EXPECT_FALSE(Exists(L"0103"));
  EXPECT_FALSE(Exists(L"0105\\010509_12\u00e9.lzh"));
}

}  // namespace
}  // namespace yx::test
