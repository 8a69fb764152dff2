// The restore's entry. Without arguments it shows its window; /LIST and
// /RESTORE act without one (restore/command_line.h).
#include <windows.h>

#include <string>
#include <vector>

#include "restore/command_line.h"
#include "restore/restore_window.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "win/program_arguments.h"

namespace {

std::wstring ExePath() {
  std::wstring exe(32768, L'\0');
  exe.resize(::GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size())));
  return exe;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace yx::restore;
  const Program program = Program::Beside(ExePath());
  const std::vector<std::wstring> args = yx::win::ProgramArguments();
  if (!args.empty()) return RunCommandLine(program, args);
  yx::ui::Application app(instance);
  app.SetTitle(kTitle);
  RestoreWindow window(app, yx::ui::SystemDialogs(), program);
  app.Run();
  // A fault that reached a window procedure ended the loop (ui/window.h).
  constexpr int kFaultStatus = 5;
  return app.Faulted() ? kFaultStatus : kDone;
}
