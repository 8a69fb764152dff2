// The settings window as the front of the run session: 実行 runs the shown
// settings, a fault of the check shows its page, and the commands and pages
// are held while a run goes on.
#include "app/progress_form.h"
#include "app/settings_form.h"
#include "app/window_thread_front.h"
#include "win/clock.h"

namespace yx::app {

void TForm2::AttachProgressForm(TForm3& progress) {
  progress_ = &progress;
  // Unattended, the taskbar entry is all there is to see of the run.
  progress.TitleProgress = session_.Unattended();
  progress.OnBackup([this](bool busy) { Page.SetEnabled(!busy); });
}

void TForm2::HoldCommands(bool hold) {
  for (const ui::Control* button : {&BtnSet, &BtnExec, &BtnExit}) button->SetEnabled(!hold);
}

backup::ProgressSink& TForm2::Progress() { return progress_->Sink(); }

void TForm2::BtnExecClick() {
  fault_shown_ = false;
  run_focus_ = ::GetFocus();
  // One run (or 除外 walk) at a time: a second 実行 meanwhile does nothing.
  (void)worker_.Start(
      hwnd_,
      [this, shown = ShownSettings(), archiver = ArchiverPresent] {
        WindowThreadFront front(hwnd_, *this);
        session_.Run(shown, archiver, front);
      },
      [this] {
        if (close_after_run_) ::DestroyWindow(hwnd_);
      });
}

bool TForm2::CheckAndSaveSettings(DateTime reference) {
  if (!session_.CheckAndSave(ShownSettings(), reference, *this)) return false;
  Modified = false;
  return true;
}

void TForm2::ShowFaultField(settings::CheckedField field) {
  fault_shown_ = true;
  // The control as a whole: a grid's current cell stays where it is.
  switch (field) {
    case settings::CheckedField::kTimes:
      Page.SetActivePage(SheetTime);
      GridTime.SetFocus();
      break;
    case settings::CheckedField::kDestination:
      Page.SetActivePage(SheetPath);
      EditTo.SetFocus();
      break;
    case settings::CheckedField::kSources:
      Page.SetActivePage(SheetPath);
      EditFrom.SetFocus();
      break;
    case settings::CheckedField::kExclusions:
      Page.SetActivePage(SheetExcl);
      GridExcl.SetFocus();
      break;
  }
}

}  // namespace yx::app
