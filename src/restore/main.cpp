// The restore's entry. Without arguments it shows its window; /LIST and
// /RESTORE act without one (restore/command_line.h).
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "restore/command_line.h"
#include "restore/restore_window.h"
#include "ui/companion_main.h"
#include "ui/dialogs.h"
#include "win/program_arguments.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace yx::restore;
  const Program program = Program::Beside(yx::win::ExePath());
  return yx::ui::RunCompanion(
      instance, kTitle, kDone,
      [&](const std::vector<std::wstring>& args) { return RunCommandLine(program, args); },
      [&](yx::ui::Application& app) {
        return std::make_unique<RestoreWindow>(app, yx::ui::SystemDialogs(), program);
      });
}
