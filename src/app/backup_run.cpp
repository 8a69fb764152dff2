// The settings window's 実行 and the unattended start: one run at a time,
// the run log opened for the run's month and saved after it, the commands
// held meanwhile. The run itself is backup::RunBackup.
#include "app/folder_lock.h"
#include "app/progress_form.h"
#include "app/settings_form.h"
#include "backup/run.h"
#include "base/file_error.h"
#include "win/clock.h"

namespace yx::app {

void TForm2::AttachProgressForm(TForm3& progress) {
  progress_ = &progress;
  progress.OnBackup([this](bool busy) { Page.SetEnabled(!busy); });
}

void TForm2::HoldCommands(bool hold) {
  for (const ui::Control* button : {&BtnSet, &BtnExec, &BtnExit}) button->SetEnabled(!hold);
}

void TForm2::EndRun(std::string_view failure_line) {
  if (!failure_line.empty()) LogLine(failure_line);
  AppendLog("END=" + FormatDateTime(log::kStamp, win::Now()));
  SaveRunLog();
}

void TForm2::BtnExecClick(const ui::Control* sender) {
  // A run lets messages through; a second run, a save or an exit must not
  // start in the middle of it.
  if (running_) return;
  const std::optional<FolderLock> lock = FolderLock::Take(AppDir, L"run", 0);
  if (!lock) {
    RefuseBusyRun();
    return;
  }
  running_ = true;
  HoldCommands(true);
  const DateTime run_start = win::Now();
  LogFile = LogDir + FormatDateTime("yymm", run_start) + ".log";
  ReloadRunLog();

  backup::RunRequest request;
  request.settings = ShownSettings();
  request.archiver_present = ArchiverPresent;
  request.check = [this](DateTime reference) {
    try {
      return CheckAndSaveSettings(reference);
    } catch (const FileError& e) {
      // The settings could not be saved: the run stops as after a failed
      // check, and still closes its log.
      ReportFileError(e.what());
      return false;
    }
  };
  request.archiver_owner = hwnd_;
  progress_->TitleProgress = sender == nullptr;
  const backup::RunClock clock{[] { return win::Now(); }, ticks_};
  const backup::RunOutcome outcome = backup::RunBackup(request, run_start, clock, *progress_, log_);
  // For the scheduler's "last run result"; a log that cannot be saved
  // overrides it below.
  if (AutoMode) exit_status_ = outcome == backup::RunOutcome::kDone ? 0 : kRunFailed;
  const std::string run_lines = log_.Unsaved();
  SaveRunLog();
  FollowUpRun(outcome, run_lines);
  HoldCommands(false);
  running_ = false;
}

}  // namespace yx::app
