// A run asked for while another run of the same program folder is in
// progress (a scheduled /AUTO while the window runs, or the reverse) is not
// started. Unattended, the refusal is a run of its own in the log, so that
// whoever reads the log sees that this start did no backup.
#include "app/settings_form.h"
#include "win/clock.h"

namespace yx::app {

void TForm2::RefuseBusyRun() {
  constexpr char kBusy[] = "別のバックアップが実行中のため、実行しませんでした。";
  if (!AutoMode) {
    dialogs_.ShowMessage(hwnd_, app_.Title(), kBusy);
    return;
  }
  const DateTime now = win::Now();
  LogFile = LogDir + FormatDateTime("yymm", now) + ".log";
  AppendLog("START=" + FormatDateTime(log::kStamp, now));
  LogLine(kBusy);
  exit_status_ = kRunFailed;
  const std::string run_lines = log_.Unsaved();
  EndRun("異常終了しました。");
  FollowUpRun(backup::RunOutcome::kRefused, run_lines);
}

}  // namespace yx::app
