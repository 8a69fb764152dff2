// The settings window as the front of the run session: 実行 runs the shown
// settings, a fault of the check shows its page, and the commands and pages
// are held while a run goes on.
#include "app/progress_form.h"
#include "app/settings_form.h"
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

backup::ProgressSink& TForm2::Progress() { return *progress_; }

void TForm2::BtnExecClick() { session_.Run(ShownSettings(), ArchiverPresent, *this); }

bool TForm2::CheckAndSaveSettings(DateTime reference) {
  if (!session_.CheckAndSave(ShownSettings(), reference, *this)) return false;
  Modified = false;
  return true;
}

void TForm2::ShowFaultField(settings::CheckedField field) {
  // The control as a whole: a grid's current cell stays where it is.
  Page.SetActivePage(field == settings::CheckedField::kTimes ? SheetTime : SheetPath);
  switch (field) {
    case settings::CheckedField::kTimes:
      GridTime.SetFocus();
      break;
    case settings::CheckedField::kDestination:
      EditTo.SetFocus();
      break;
    case settings::CheckedField::kSources:
      EditFrom.SetFocus();
      break;
  }
}

}  // namespace yx::app
