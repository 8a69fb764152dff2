// The gate before every save and every run: the launch times, the destination
// and the sources, in that order; the first fault is reported on its page.
#include "app/settings_form.h"
#include "base/exclusion.h"
#include "settings/check_rules.h"
#include "win/file_system.h"
#include "win/tree_walk.h"

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
  const settings::Settings shown = ShownSettings();
  for (const std::string& cell : shown.times) {
    if (cell.empty()) continue;
    const settings::TimeFault fault = settings::CheckTimeRow(cell);
    if (fault == settings::TimeFault::None) continue;
    ShowFaultPage(SheetTime, GridTime);
    Report(settings::TimeFaultMessage(fault, cell));
    return false;
  }
  if (!win::FolderExists(shown.destination)) {
    ShowFaultPage(SheetPath, EditTo);
    Report(std::string(settings::DestinationMissingMessage()));
    return false;
  }
  for (const std::string& cell : shown.sources) {
    if (cell.empty() || win::FolderExists(cell)) continue;
    ShowFaultPage(SheetPath, EditFrom);
    Report(settings::SourceMissingMessage(cell));
    return false;
  }
  for (const std::string& cell : shown.sources) {
    if (cell.empty() || !win::FolderIsWithin(win::WidePath(shown.destination), win::WidePath(cell)))
      continue;
    ShowFaultPage(SheetPath, EditTo);
    Report(settings::DestinationInSourceMessage(cell));
    return false;
  }
  for (int row = 0; row < settings::kExclusionRows; ++row) {
    const std::string& cell = shown.exclusions[static_cast<size_t>(row)];
    if (cell.empty() || IsUsableExclusion(cell)) continue;
    ShowFaultPage(SheetExcl, GridExcl);
    Report(settings::ExclusionFaultMessage(row, cell));
    return false;
  }
  DelLimit = settings::RuleCutOff(shown.del_use, reference, shown.del_value, shown.del_in_months);
  KillLimit =
      settings::RuleCutOff(shown.kill_use, reference, shown.kill_value, shown.kill_in_months);
  if (settings::RulesConflict(shown.del_use, DelLimit, shown.kill_use, KillLimit))
    Report(std::string(settings::RulesConflictWarning()));
  settings::SaveSettings(shown, SettingsFile());
  Modified = false;
  return true;
}

}  // namespace yx::app
