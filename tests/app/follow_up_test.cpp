// After a run: the command of RUN_FAIL or RUN_DONE with its arguments, the
// notification of an unattended run that did not succeed, and the age of
// the last good backup above the log. The window's runs with the effects
// recorded; the commands also started for real.
#include <gtest/gtest.h>

#include "app/after_run.h"
#include "support/form_fixture.h"
#include "win/fault_line.h"

namespace yx::test {
namespace {

constexpr char kGoodMay17[] =
    "START=01/05/17 09:00:00\r\n\tバックアップ正常終了\r\n\t処理時間=00:00:01\r\n"
    "END=01/05/17 09:00:01\r\n";

class FollowUpTest : public FormTest {
 protected:
  void SetUp() override { SetNow(EncodeDateTime(2001, 5, 23, 9, 5)); }
  void StartWithLog(const std::string& ini, std::vector<std::string> args) {
    dir.WriteFile(L"log\\0105.log", kGoodMay17);
    WriteIni("[Backup]\r\n" + ini);
    Start(std::move(args));
  }
  std::wstring LogPath() const { return dir.Path() + L"log\\0105.log"; }
};

TEST_F(FollowUpTest, AnUnattendedFailureNotifiesWithTheAgeAndWaitsForItsCommand) {
  StartWithLog("TO=" + dir.PathA() + "nothere\r\nRUN_FAIL=notify.bat\r\nRUN_DONE=done.bat\r\n",
               {"/AUTO"});
  effects_->exit_code = 5;
  Exec();
  ASSERT_EQ(effects_->commands.size(), 1u);
  EXPECT_EQ(effects_->commands[0], L"notify.bat refused \"" + LogPath() + L"\" 2");
  EXPECT_EQ(effects_->finished, 1);
  ASSERT_EQ(effects_->notices.size(), 1u);
  EXPECT_EQ(effects_->notices[0],
            "バックアップを実行できません\r\nバックアップ先のフォルダが存在しません\r\n"
            "最後の成功は 6 日前です");
  // The run's own lines come first, saved; the command's failure after them.
  EXPECT_TRUE(dir.ReadFile(L"log\\0105.log")
                  .ends_with("\t異常終了しました。\r\nEND=01/05/23 09:05:00\r\n"
                             "\tRUN_FAIL のコマンドが終了コード 5 で終わりました\r\n"));
  EXPECT_EQ(session_->ExitStatus(), run::RunSession::kRunFailed)
      << "the command does not change it";
}

TEST_F(FollowUpTest, TheWindowShowsTheAgeStartsRunDoneUnwatchedAndAGoodRunClearsTheWarning) {
  dir.MakeFolder(L"dest");
  StartWithLog("TO=" + dir.PathA() + "dest\r\nRUN_DONE=\"C:\\my tools\\mail.exe\" -q\r\n", {});
  EXPECT_EQ(form_->LblAge.Caption(), "※ 最後に成功したバックアップは 6 日前です");
  Exec();
  ASSERT_EQ(effects_->commands.size(), 1u);
  EXPECT_EQ(effects_->commands[0], L"\"C:\\my tools\\mail.exe\" -q done \"" + LogPath() + L"\" 0");
  EXPECT_EQ(effects_->finished, 0) << "the window never waits for the command";
  EXPECT_TRUE(effects_->notices.empty()) << "someone is at the window";
  EXPECT_EQ(form_->LblAge.Caption(), "最後に成功したバックアップ: 01/05/23 09:05");
  EXPECT_NE(Ini().find("RUN_DONE=\"C:\\my tools\\mail.exe\" -q\r\n"), std::string::npos)
      << "the keys without a control are saved as they were";
}

// The profile functions would drop the outer quotes of a quoted program
// with quoted arguments, and the command could not start.
TEST_F(FollowUpTest, AQuotedProgramWithQuotedArgumentsRunsAndIsSavedAsWritten) {
  dir.MakeFolder(L"dest");
  const std::string command = "\"C:\\path with space\\x.bat\" \"arg one\"";
  StartWithLog("TO=" + dir.PathA() + "dest\r\nRUN_DONE=" + command + "\r\n", {});
  Exec();
  ASSERT_EQ(effects_->commands.size(), 1u);
  EXPECT_EQ(effects_->commands[0],
            L"\"C:\\path with space\\x.bat\" \"arg one\" done \"" + LogPath() + L"\" 0");
  EXPECT_NE(Ini().find("\r\nRUN_DONE=" + command + "\r\n"), std::string::npos) << Ini();
}

TEST_F(FollowUpTest, WarnDaysZeroTurnsTheWarningOffAndAnUnreadableLogLeavesTheAgeUnknown) {
  StartWithLog("WARN_DAYS=0\r\n", {});
  EXPECT_EQ(form_->LblAge.Caption(), "最後に成功したバックアップ: 01/05/17 09:00");
  EXPECT_EQ(form_->SpinWarn.Value(), 0);
  form_.reset();
  // The month's log held by a program that shares nothing.
  const win::UniqueFile held = HoldOpen(LogPath());
  ASSERT_TRUE(held);
  dir.WriteFile(L"log\\0104.log", kGoodMay17);
  WriteIni("[Backup]\r\n");
  Start({});
  EXPECT_EQ(form_->LblAge.Caption(),
            "※ ログを読めないため、最後に成功したバックアップの日時がわかりません");
}

// The commands started for real: the notification recorded.
class QuietEffects final : public app::SystemEffects {
 public:
  using SystemEffects::SystemEffects;
  std::string Notify(std::string_view) override { return {}; }
};

TEST(Notice, ATitleOfWhatFailedOneShortReasonAndTheAgeSaidShort) {
  app::RunEnding ending;
  ending.outcome = backup::RunOutcome::kFailed;
  // A first line far longer than a balloon shows: cut at a whole character.
  ending.run_lines =
      "START=01/05/23 09:05:00\r\n\t" + std::string(20, 'x') + "表表表表表表表表\r\n";
  log::BackupAge age;
  age.state = log::AgeState::kOld;
  age.days = 6;
  EXPECT_EQ(app::NoticeText(ending, app::NoticeAge(age, 3)),
            "バックアップに失敗しました\r\n" + std::string(20, 'x') +
                "表表表…\r\n最後の成功は 6 日前です");
  EXPECT_EQ(app::NoticeAge(age, 0), "") << "WARN_DAYS=0 warns of nothing";
  ending.outcome = backup::RunOutcome::kCancelled;
  EXPECT_EQ(app::NoticeText(ending, ""), "バックアップを中断しました");
}

TEST(FollowUpCommand, AMissingFailingOrTalkativeCommandEndsInOneLineOrNone) {
  TempFolder dir;
  // 1 MB of output that nobody reads: a pipe nobody drains would hang it.
  dir.WriteFile(L"big.txt", std::string(1 << 20, 'x'));
  app::RunEnding ending;
  ending.unattended = true;
  ending.exit_status = 2;
  ending.log_path = dir.PathA() + "log\\0105.log";
  settings::Settings s;
  const auto follow = [&](const std::string& command,
                          win::CommandProcess::WaitCall wait = ::WaitForSingleObject) {
    s.run_fail = command;
    QuietEffects effects(std::wstring(), nullptr, win::CommandProcess(std::move(wait)));
    return app::FollowUpRun(ending, s, dir.PathA() + "log\\", EncodeDateTime(2001, 5, 23), effects);
  };
  std::vector<std::string> lines = follow(dir.PathA() + "無い コマンド.exe");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(lines[0].starts_with("RUN_FAIL のコマンドを実行できません: エラー 2 ")) << lines[0];
  EXPECT_EQ(follow("cmd.exe /c exit 7"),
            std::vector<std::string>{"RUN_FAIL のコマンドが終了コード 7 で終わりました"});
  // "& rem" leaves the three arguments added after the command to a comment.
  EXPECT_EQ(follow("cmd.exe /c type \"" + dir.PathA() + "big.txt\" & rem"),
            std::vector<std::string>{});
  // A wait that fails is no time-out: the line says so, with the reason.
  const auto wait_fails = [](HANDLE, DWORD) -> DWORD {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  };
  EXPECT_EQ(follow("cmd.exe /c exit 0", wait_fails),
            std::vector<std::string>{"RUN_FAIL のコマンドの終了を待てませんでした (WAIT_FAILED): " +
                                     win::ErrorReason(ERROR_INVALID_HANDLE)});
}

}  // namespace
}  // namespace yx::test
