#include "settings/check_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace yx::settings {
namespace {

TEST(CheckTimeRow, RowsThatPass) {
  for (std::string_view row : {"1200", "0000", "2359", " 930", "$A15", "12 5"}) {
    EXPECT_EQ(CheckTimeRow(row), TimeFault::None) << row;
  }
}

TEST(CheckTimeRow, HourFaults) {
  // Length first: lengths are bytes, so two full-width digits (82 50 82 51)
  // pass it and fail the hour, and four of them fail the length.
  for (std::string_view row : {"930", "09:30", "12000", "2400", "ab30", "    ", "-130",
                               "\x82\x50\x82\x51", "\x82\x50\x82\x51\x82\x4f\x82\x4f"}) {
    EXPECT_EQ(CheckTimeRow(row), TimeFault::Hour) << row;
  }
}

TEST(CheckTimeRow, MinuteFaults) {
  for (std::string_view row : {"2360", "12ab", "12-1", "12  "}) {
    EXPECT_EQ(CheckTimeRow(row), TimeFault::Minute) << row;
  }
}

TEST(CheckMessages, AreTheRowBetweenFixedCp932Texts) {
  EXPECT_EQ(TimeFaultMessage(TimeFault::Hour, "930"), "[930]時間の設定に誤りがあります。");
  EXPECT_EQ(TimeFaultMessage(TimeFault::Minute, "2360"), "[2360]分の設定に誤りがあります。");
  EXPECT_EQ(TimeFaultMessage(TimeFault::None, "1200"), "");
  // The bytes themselves: 時間 is 8E 9E 8A D4, 分 is 95 AA, バ is 83 6F.
  EXPECT_TRUE(TimeFaultMessage(TimeFault::Hour, "09:30").starts_with("[09:30]\x8e\x9e\x8a\xd4"));
  EXPECT_TRUE(TimeFaultMessage(TimeFault::Minute, "12ab").starts_with("[12ab]\x95\xaa"));
  EXPECT_EQ(DestinationMissingMessage(), "バックアップ先のフォルダが存在しません");
  EXPECT_TRUE(DestinationMissingMessage().starts_with("\x83\x6f"));
  EXPECT_EQ(SourceMissingMessage("C:\\nothere"),
            "PATH=C:\\nothereバックアップ元のフォルダが存在しません");
  // A row ending in 表 (95 5C) goes in unchanged.
  EXPECT_TRUE(SourceMissingMessage("C:\\\x95\x5C").starts_with("PATH=C:\\\x95\x5C\x83\x6f"));
  // 警告： is 8C 78 8D 90 81 46.
  EXPECT_EQ(RulesConflictWarning(),
            "警告：「削除対象」が有効にならないような「強制削除」設定になってます");
  EXPECT_TRUE(RulesConflictWarning().starts_with("\x8c\x78\x8d\x90\x81\x46"));
}

std::string Text(DateTime value) {
  const DateTimeParts p = DecodeDateTime(value);
  return std::to_string(p.year) + FormatDateTime("/mm/dd hh:nn:ss", value);
}

TEST(CutOff, DaysKeepTheTimeOfDayAndMonthsClampToTheMonthEnd) {
  const DateTime jan15 = EncodeDateTime(2024, 1, 15, 8, 0);
  EXPECT_EQ(Text(CutOff(jan15, 14, false)), "2024/01/01 08:00:00");
  EXPECT_EQ(Text(CutOff(jan15, 1, true)), "2023/12/15 08:00:00");
  const DateTime mar31 = EncodeDateTime(2024, 3, 31, 10, 15);
  EXPECT_EQ(Text(CutOff(mar31, 1, true)), "2024/02/29 10:15:00");
  EXPECT_EQ(Text(CutOff(mar31, 13, true)), "2023/02/28 10:15:00");
  EXPECT_EQ(Text(CutOff(EncodeDateTime(2024, 2, 29, 10, 15), 12, true)), "2023/02/28 10:15:00");
  EXPECT_EQ(Text(CutOff(EncodeDateTime(2024, 3, 1, 0, 30, 5), 1, false)), "2024/02/29 00:30:05");
  EXPECT_EQ(Text(CutOff(EncodeDateTime(2001, 5, 23, 9, 5), 99, true)), "1993/02/23 09:05:00");
}

TEST(CutOff, ARuleThatIsOffHasNone) {
  const DateTime now = EncodeDateTime(2024, 1, 15, 8, 0);
  EXPECT_EQ(RuleCutOff(false, now, 14, false), -1);
  EXPECT_EQ(RuleCutOff(false, now, 1, true), kNoCutOff);
  EXPECT_EQ(RuleCutOff(true, now, 14, false), CutOff(now, 14, false));
}

struct Rule {
  int value;
  bool in_months;
};

bool Warns(DateTime reference, Rule del, Rule kill) {
  return RulesConflict(true, CutOff(reference, del.value, del.in_months), true,
                       CutOff(reference, kill.value, kill.in_months));
}

TEST(RulesConflict, ForcedCutOffAtOrAfterTheSelectiveOne) {
  const DateTime now = EncodeDateTime(2024, 1, 15, 8, 0);
  EXPECT_FALSE(Warns(now, {14, false}, {30, false}));
  EXPECT_TRUE(Warns(now, {14, false}, {14, false}));
  EXPECT_TRUE(Warns(now, {30, false}, {14, false}));
  EXPECT_TRUE(Warns(now, {2, true}, {2, true}));
}

TEST(RulesConflict, MixedModesDependOnTheReferenceTime) {
  // One month back from 03-31 is 02-29, thirty days back is 03-01.
  EXPECT_TRUE(Warns(EncodeDateTime(2024, 3, 31, 10, 15), {1, true}, {30, false}));
  // From 03-15: 02-15 against 02-14.
  EXPECT_FALSE(Warns(EncodeDateTime(2024, 3, 15, 10, 15), {1, true}, {30, false}));
  // Both land on 02-15 10:15: a tie warns.
  EXPECT_TRUE(Warns(EncodeDateTime(2024, 3, 15, 10, 15), {1, true}, {29, false}));
}

}  // namespace
}  // namespace yx::settings
