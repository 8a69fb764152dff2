#include "log/last_good_run.h"

#include <gtest/gtest.h>

#include <map>

namespace yx::log {
namespace {

constexpr char kGood[] = "\tバックアップ正常終了\r\n";
constexpr char kFailed[] = "\tバックアップの作成に失敗しました\r\n";

std::string Logged(const std::string& start, const char* outcome) {
  return "START=" + start + "\r\n" + outcome + "\t処理時間=00:00:01\r\nEND=" + start + "\r\n";
}

// Month logs by yymm; a month not listed has no log, nullopt is unreadable.
struct Logs {
  std::map<int, std::optional<std::string>> months;
  BackupAge At(DateTime now, int warn_days = 3) const {
    return AgeOfLastGoodRun(
        [this](int year, int month) -> std::optional<std::string> {
          const auto it = months.find((year % 100) * 100 + month);
          return it == months.end() ? std::string() : it->second;
        },
        now, warn_days);
  }
};

TEST(LastGoodRun, TheLastGoodRunInFileOrderGivesTheAge) {
  Logs logs;
  logs.months[105] = Logged("01/05/20 12:00:00", kGood) + Logged("01/05/21 12:00:00", kFailed);
  BackupAge age = logs.At(EncodeDateTime(2001, 5, 26, 13, 0));
  EXPECT_EQ(age.state, AgeState::kOld);
  EXPECT_EQ(age.days, 6);
  EXPECT_EQ(AgeWarning(age, 3), "最後に成功したバックアップは 6 日前です");
  EXPECT_EQ(AgeWarning(age, 0), "") << "0 turns the warning off";
  EXPECT_EQ(logs.At(EncodeDateTime(2001, 5, 23, 12, 0)).state, AgeState::kRecent)
      << "exactly 3 days is not older than 3";
  // A month boundary: the good run is in the previous month's log, a later
  // failure in this one.
  logs.months[106] = Logged("01/06/01 12:00:00", kFailed);
  age = logs.At(EncodeDateTime(2001, 6, 2, 11, 0));
  EXPECT_EQ(age.state, AgeState::kOld);
  EXPECT_EQ(age.days, 12);
  // A good run in the newest month ends the search there.
  logs.months[106] = Logged("01/06/01 12:00:00", kGood) + Logged("01/06/02 10:00:00", kFailed);
  EXPECT_EQ(logs.At(EncodeDateTime(2001, 6, 2, 11, 0)).state, AgeState::kRecent);
  // The clock set back after the last good run: its stamp lies ahead, and
  // file order (not the largest stamp) says which run was the last.
  logs.months[106] = Logged("01/06/09 12:00:00", kFailed) + Logged("01/06/05 12:00:00", kGood);
  EXPECT_EQ(logs.At(EncodeDateTime(2001, 6, 12)).days, 6);
  EXPECT_EQ(logs.At(EncodeDateTime(2001, 6, 4)).state, AgeState::kAhead);
}

TEST(LastGoodRun, UnreadableOrHandEditedLogsNeverClaimAGoodRun) {
  Logs logs;
  logs.months[105] = Logged("01/05/20 12:00:00", kGood);
  logs.months[106] = std::nullopt;
  const BackupAge unknown = logs.At(EncodeDateTime(2001, 6, 2));
  EXPECT_EQ(unknown.state, AgeState::kUnknown) << "the unreadable month may hold a later run";
  EXPECT_NE(AgeWarning(unknown, 3), "");
  // Stray bytes: in the stamp, inside the success line, a lone lead byte
  // (0x83) before it, a date that does not exist, lone CRs and LFs.
  logs.months[106] = "START=01/06/01 12:0x:00\r\n" + std::string(kGood) +
                     "START=01/06/01 12:00:00\r\n\tバックアップ正常終了 \r\n"
                     "START=01/06/01 12:00:00\r\n\x83\tバックアップ正常終了\r\n"
                     "START=01/02/30 12:00:00\r\n" +
                     kGood + "\x83\xff\r\rSTART=01/06/01 12:00:00\n";
  const BackupAge age = logs.At(EncodeDateTime(2001, 6, 2));
  EXPECT_EQ(age.state, AgeState::kOld) << "only the May run counts";
  EXPECT_EQ(age.days, 12);
  // Runs with no good one among them (for a year), and no runs at all.
  logs.months.clear();
  logs.months[106] = Logged("01/06/01 12:00:00", kFailed);
  EXPECT_EQ(AgeWarning(logs.At(EncodeDateTime(2001, 6, 2)), 3),
            "成功したバックアップが 3 日以上ありません");
  logs.months.clear();
  logs.months[105] = Logged("01/05/01 12:00:00", kGood);
  logs.months[104] = Logged("01/04/01 12:00:00", kGood);
  EXPECT_EQ(logs.At(EncodeDateTime(2002, 5, 31)).state, AgeState::kOld) << "12 months back";
  EXPECT_EQ(logs.At(EncodeDateTime(2002, 6, 1)).state, AgeState::kNoRuns) << "13 months back";
  EXPECT_EQ(AgeWarning(logs.At(EncodeDateTime(2002, 6, 1)), 3), "");
}

}  // namespace
}  // namespace yx::log
