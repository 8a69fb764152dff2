// The program's entry: interactive with the settings window, or one
// unattended backup when started with the single argument /AUTO.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>
#include <vector>

#include "app/settings_form.h"
#include "backup/progress_form.h"
#include "backup/unlha32.h"
#include "ui/application.h"
#include "win/clock.h"
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

#ifdef YX_TEST_CLOCK
// Built into a separate test program only: the clock starts at the time given
// in YX_TEST_NOW ("yyyy-mm-dd hh:nn:ss") and runs on from there, so that tests
// can stage runs on any date. The shipped program has no such way in.
void StartTestClock() {
  wchar_t text[64] = {};
  if (!::GetEnvironmentVariableW(L"YX_TEST_NOW", text, 64)) return;
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  if (swscanf(text, L"%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) != 6) return;
  const yx::DateTime start = yx::EncodeDateTime(y, mo, d, h, mi, s);
  const ULONGLONG started = ::GetTickCount64();
  yx::win::SetClockForTesting([start, started] {
    return start + static_cast<double>(::GetTickCount64() - started) / 86'400'000.0;
  });
}
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
#ifdef YX_TEST_CLOCK
  StartTestClock();
#endif
  yx::unlha32::Load();
  const int status = RunProgram(instance);
  yx::unlha32::Unload();
  return status;
}
