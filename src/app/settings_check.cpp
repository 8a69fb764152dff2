// The gate before every save and every run: the launch times, the destination
// and the sources, in that order; the first fault is reported on its page.
#include "app/settings_form.h"
#include "settings/check_rules.h"
#include "win/file_system.h"

namespace yx::app {

void TForm2::Report(const std::string& message) {
  if (AutoMode)
    LogLine(message);
  else
    dialogs_.ShowMessage(hwnd_, app_.Title(), message);
}

void TForm2::ShowFaultPage(PageIndex page, const ui::Control& focus) {
  Page.SetActivePage(page);
  focus.SetFocus();
}

bool TForm2::CheckAndSaveSettings(DateTime reference) {
  for (int row = 0; row < ui::StringGrid::kRows; ++row) {
    const std::string& cell = GridTime.Cell(row);
    if (cell.empty()) continue;
    const settings::TimeFault fault = settings::CheckTimeRow(cell);
    if (fault == settings::TimeFault::None) continue;
    ShowFaultPage(SheetTime, GridTime);
    Report(settings::TimeFaultMessage(fault, cell));
    return false;
  }
  if (!win::FolderExists(EditTo.Text())) {
    ShowFaultPage(SheetPath, EditTo);
    Report(std::string(settings::DestinationMissingMessage()));
    return false;
  }
  for (int row = 0; row < ui::StringGrid::kRows; ++row) {
    const std::string& cell = EditFrom.Cell(row);
    if (cell.empty() || win::FolderExists(cell)) continue;
    ShowFaultPage(SheetPath, EditFrom);
    Report(settings::SourceMissingMessage(cell));
    return false;
  }
  DelLimit = settings::RuleCutOff(ChkDel.Checked(), reference, SpinDel.Value(), !RdoDelD.Checked());
  KillLimit =
      settings::RuleCutOff(ChkKill.Checked(), reference, SpinKill.Value(), !RdoKillD.Checked());
  if (settings::RulesConflict(ChkDel.Checked(), DelLimit, ChkKill.Checked(), KillLimit))
    Report(std::string(settings::RulesConflictWarning()));
  settings::SaveSettings(*this, SettingsFile());
  Modified = false;
  return true;
}

}  // namespace yx::app
