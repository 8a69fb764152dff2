// The run session between its front and its place, both stood in for: the
// one-run-at-a-time lock, the month's log and where its lines go when it
// cannot be saved, the check and save at the run's start, the exit status.
#include "run/run_session.h"

#include <gtest/gtest.h>

#include "base/file_error.h"

namespace yx::run {
namespace {

constexpr char kBusy[] = "\t別のバックアップが実行中のため、実行しませんでした。\r\n";

class FakePlace final : public SessionPlace, public settings::FolderProbe {
 public:
  LockTake lock = LockTake::kTaken;
  bool lock_held = false;
  bool save_log_fails = false, save_settings_fails = false;
  backup::RunOutcome outcome = backup::RunOutcome::kDone;
  std::string saved_log_path, saved_log, fallback;
  int settings_saved = 0, backups = 0;
  std::optional<settings::CutOffs> cut_offs;

  LockTake TakeRunLock(std::string& failure) override {
    if (lock == LockTake::kFailed) failure = "エラー 5 アクセスが拒否されました。";
    lock_held = lock == LockTake::kTaken;
    return lock;
  }
  void ReleaseRunLock() override { lock_held = false; }
  DateTime Now() override { return EncodeDateTime(2001, 5, 23, 9, 5); }
  void LoadLog(log::RunLog&, const std::string&) override {}
  void SaveLog(log::RunLog& log, const std::string& path) override {
    if (save_log_fails) throw MakeFileError("ファイル %s を作成できません", path);
    saved_log_path = path;
    saved_log = log.Text();
  }
  void SaveSettings(const settings::Settings&) override {
    if (save_settings_fails) throw FileError("Yorudex.INI に書き込めません");
    ++settings_saved;
  }
  void AppendToFallback(const std::string& entry) override { fallback += entry; }
  const settings::FolderProbe& Probe() const override { return *this; }
  // As the backup run does: START, the check, the outcome.
  backup::RunOutcome Backup(const backup::RunRequest& request, DateTime run_start,
                            backup::ProgressSink&, log::RunLog& log) override {
    ++backups;
    EXPECT_TRUE(lock_held);
    log.Append("START=");
    cut_offs = request.check(run_start);
    return cut_offs ? outcome : backup::RunOutcome::kRefused;
  }
  bool FolderExists(const std::string& path) const override { return path == "C:\\dest"; }
  bool FolderIsWithin(const std::string&, const std::string&) const override { return false; }
  bool SameLastFolderName(const std::string&, const std::string&) const override { return false; }
};

class FakeFront final : public SessionFront {
 public:
  std::string shown;
  int held = 0;
  void ShowMessage(std::string_view text) override { shown += "message:" + std::string(text); }
  void ShowError(std::string_view text) override { shown += "error:" + std::string(text); }
  void ShowFaultField(settings::CheckedField) override { shown += "page;"; }
  void HoldCommands(bool hold) override { held += hold ? 1 : -1; }
  backup::ProgressSink& Progress() override { return sink; }
  ProgressState progress;
  backup::StateSink sink{progress};
};

class RunSessionTest : public ::testing::Test {
 protected:
  RunSessionTest() { settings.destination = "C:\\dest"; }
  RunSession& Session(bool unattended) {
    session.emplace(place, "C:\\Yorudex\\log\\", unattended);
    return *session;
  }
  FakePlace place;
  FakeFront front;
  settings::Settings settings = settings::DefaultSettings();
  std::optional<RunSession> session;
};

TEST_F(RunSessionTest, ARunChecksAndSavesTheSettingsAndTheUnattendedStatusFollowsItsOutcome) {
  for (const auto& [outcome, status] : {std::pair{backup::RunOutcome::kDone, 0},
                                        {backup::RunOutcome::kCancelled, 2},
                                        {backup::RunOutcome::kFailed, 2}}) {
    place.outcome = outcome;
    RunSession& run = Session(true);
    run.Run(settings, false, front);
    EXPECT_EQ(run.ExitStatus(), status);
    EXPECT_EQ(place.saved_log_path, "C:\\Yorudex\\log\\0105.log");
    EXPECT_FALSE(place.lock_held);
    EXPECT_EQ(front.held, 0) << "the commands are held only during the run";
  }
  EXPECT_EQ(place.settings_saved, 3);
  Session(false).Run(settings, false, front);
  EXPECT_EQ(session->ExitStatus(), 0) << "a run from the window leaves the status alone";
  place.outcome = backup::RunOutcome::kFailed;
  Session(false).Run(settings, false, front);
  EXPECT_EQ(session->ExitStatus(), 0);
  EXPECT_EQ(front.shown, "");
}

TEST_F(RunSessionTest, ACheckFaultIsALogLineUnattendedAndAPageWithABoxOtherwise) {
  settings.destination = "C:\\gone";
  Session(true).Run(settings, false, front);
  EXPECT_EQ(place.saved_log, "START=\r\n\tバックアップ先のフォルダが存在しません\r\n");
  EXPECT_EQ(session->ExitStatus(), 2);
  EXPECT_EQ(front.shown, "");
  EXPECT_FALSE(Session(false).CheckAndSave(settings, place.Now(), front));
  EXPECT_EQ(front.shown, "page;message:バックアップ先のフォルダが存在しません");
  EXPECT_EQ(place.settings_saved, 0);
  front.shown.clear();
  settings.destination = "C:\\dest";
  place.save_settings_fails = true;
  EXPECT_FALSE(session->CheckAndSave(settings, place.Now(), front));
  EXPECT_EQ(front.shown, "error:Yorudex.INI に書き込めません");
}

TEST_F(RunSessionTest, ABusyRunIsABoxFromTheWindowAndARefusedRunUnattended) {
  place.lock = LockTake::kBusy;
  Session(false).Run(settings, false, front);
  EXPECT_EQ(front.shown, "message:別のバックアップが実行中のため、実行しませんでした。");
  EXPECT_EQ(place.saved_log, "") << "nothing of it in the log";
  EXPECT_EQ(session->ExitStatus(), 0);
  front.shown.clear();
  Session(true).Run(settings, false, front);
  EXPECT_EQ(place.saved_log, std::string("START=01/05/23 09:05:00\r\n") + kBusy +
                                 "\t異常終了しました。\r\nEND=01/05/23 09:05:00\r\n");
  EXPECT_EQ(session->ExitStatus(), 2);
  EXPECT_EQ(place.backups, 0);
  EXPECT_EQ(front.shown, "");
}

TEST_F(RunSessionTest, ALockThatCannotBeMadeRefusesTheRunWithItsReasonInBothModes) {
  place.lock = LockTake::kFailed;
  for (const bool unattended : {false, true}) {
    Session(unattended).Run(settings, false, front);
    EXPECT_EQ(place.saved_log,
              "START=01/05/23 09:05:00\r\n"
              "\t実行中のバックアップを確かめられないため、実行しませんでした。"
              "エラー 5 アクセスが拒否されました。\r\n\t異常終了しました。\r\n"
              "END=01/05/23 09:05:00\r\n");
    EXPECT_EQ(session->ExitStatus(), unattended ? 2 : 0);
  }
  EXPECT_EQ(place.backups, 0);
  EXPECT_EQ(place.settings_saved, 0);
}

TEST_F(RunSessionTest, ALogThatCannotBeSavedGoesToTheFallbackUnattendedWithStatusOne) {
  place.save_log_fails = true;
  Session(false).Run(settings, false, front);
  EXPECT_EQ(front.shown, "error:ファイル C:\\Yorudex\\log\\0105.log を作成できません");
  EXPECT_EQ(place.fallback, "");
  front.shown.clear();
  Session(true).Run(settings, false, front);
  EXPECT_EQ(place.fallback,
            "01/05/23 09:05:00\tファイル C:\\Yorudex\\log\\0105.log を作成できません\r\n"
            "START=\r\n");
  EXPECT_EQ(session->ExitStatus(), RunSession::kLogNotSaved);
  EXPECT_EQ(front.shown, "");
}

}  // namespace
}  // namespace yx::run
