// The program's entry: interactive with the settings window, or one
// unattended backup when started with the single argument /AUTO.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/settings_form.h"
#include "backup/progress_form.h"
#include "backup/unlha32.h"
#include "ui/application.h"
#include "win/text.h"

namespace {

yx::app::StartupOptions ReadStartup() {
  yx::app::StartupOptions options;
  std::wstring exe(32768, L'\0');
  exe.resize(::GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size())));
  options.exe_path = exe;
  int argc = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  for (int i = 1; argv && i < argc; ++i) options.args.push_back(yx::win::FromWide(argv[i]));
  ::LocalFree(argv);
  return options;
}

int RunProgram(HINSTANCE instance) {
  yx::ui::Application app(instance);
  app.SetTitle(yx::app::kApplicationTitle);
  const yx::app::StartupOptions options = ReadStartup();
  yx::app::TForm2 form(app, yx::ui::SystemDialogs(), options);
  yx::backup::TForm3 progress(app, form.CancelRequested);
  form.AttachProgressForm(progress);
  if (options.args.size() == 1 && options.args[0] == "/AUTO") {
    app.Minimize();
    form.BtnExecClick(nullptr);
    app.Terminate();
  }
  app.Run();
  return form.ExitStatus();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  yx::unlha32::Load();
  const int status = RunProgram(instance);
  yx::unlha32::Unload();
  return status;
}
