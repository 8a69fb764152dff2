// After a run: its command and, unattended, its notification; in the window,
// the age of the last good backup above the log, shown again after each run.
#include "app/settings_form.h"
#include "win/clock.h"

namespace yx::app {

std::vector<std::string> TForm2::RunEnded(const run::RunEnding& ending,
                                          const settings::Settings& settings) {
  std::vector<std::string> lines =
      app::FollowUpRun(ending, settings, LogDir, win::Now(), *after_run_);
  if (ending.unattended) return lines;
  ui::ShowOnWindowThread(hwnd_, [this] {
    ShowBackupAge();
    // Whatever page 実行 was pressed on, the run's lines say how it went; a
    // faulty setting the check put in front stays there to be mended.
    if (fault_shown_) return;
    Page.TurnTo(SheetLOG);
    MemoLog.ScrollToLastLine(L"START=");
    // A run started from a page (F5) leaves the focus in the log; one
    // started from the strip's button goes back there.
    if (run_focus_ && ::GetParent(run_focus_) == hwnd_)
      ::SetFocus(run_focus_);
    else
      MemoLog.SetFocus();
  });
  return lines;
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
