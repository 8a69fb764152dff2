// The two companion programs beside Yorudex.exe, started from the items of
// the window menu: the restore and the schedule. The settings window keeps
// its layout; the menu is the one way in that adds nothing to it.
#include "app/settings_form.h"
#include "win/failure.h"
#include "win/file_system.h"
#include "win/unique_handle.h"

namespace yx::app {

void TForm2::AddCompanionMenu() {
  // Access keys as in any menu: Alt+Space, then R or S.
  app_.AddSystemMenuItem("復元(&R)…", [this] { StartCompanion("YorudexRestore.exe"); });
  app_.AddSystemMenuItem("起動スケジュール(&S)…",
                         [this] { StartCompanion("YorudexSchedule.exe"); });
}

void TForm2::StartCompanion(const std::string& exe_name) {
  const std::wstring folder = win::WidePath(AppDir);
  const std::wstring exe = win::WidePath(AppDir + exe_name);
  std::wstring command = L"\"" + exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
    const win::Failure failure = win::Failure::Last("CreateProcessW");
    dialogs_.ShowMessage(hwnd_, app_.Title(),
                         AppDir + exe_name + " を起動できません: " + failure.Reason());
    return;
  }
  win::UniqueKernelHandle thread(process.hThread), owned(process.hProcess);
}

}  // namespace yx::app
