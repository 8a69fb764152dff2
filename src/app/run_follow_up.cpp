// After a run: its command and, unattended, its notification; in the window,
// the age of the last good backup above the log, shown again after each run.
#include "app/settings_form.h"
#include "win/clock.h"

namespace yx::app {

void TForm2::FollowUpRun(backup::RunOutcome outcome, std::string_view run_lines) {
  RunEnding ending;
  ending.outcome = outcome;
  ending.unattended = AutoMode;
  ending.exit_status =
      AutoMode ? exit_status_ : (outcome == backup::RunOutcome::kDone ? 0 : kRunFailed);
  ending.log_saved = log_.Unsaved().empty();
  ending.log_path = LogFile;
  // Lines an earlier save could not write come first: this run's start at its START=.
  const size_t start = run_lines.rfind("START=");
  ending.run_lines = run_lines.substr(start == std::string_view::npos ? 0 : start);
  const std::vector<std::string> lines =
      app::FollowUpRun(ending, ShownSettings(), LogDir, win::Now(), *after_run_);
  for (const std::string& line : lines) LogLine(line);
  if (!lines.empty()) SaveRunLog();
  if (!AutoMode) ShowBackupAge();
}

void TForm2::ShowBackupAge() {
  const int warn_days = SpinWarn.Value();
  const log::BackupAge age = ReadBackupAge(LogDir, win::Now(), warn_days);
  std::string text = log::AgeWarning(age, warn_days);
  age_warning_ = !text.empty();
  if (age_warning_)
    text = "※ " + text;
  else if (age.state == log::AgeState::kRecent || age.state == log::AgeState::kOld)
    text = "最後に成功したバックアップ: " + FormatDateTime("yy/mm/dd hh:nn", age.last_good);
  LblAge.SetCaption(text);
}

}  // namespace yx::app
