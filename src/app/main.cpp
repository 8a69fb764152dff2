// The program's entry: interactive with the settings window, or one
// unattended backup when started with the single argument /AUTO.
#include <windows.h>

#include <cwchar>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/settings_form.h"
#include "app/progress_form.h"
#include "app/unattended_window.h"
#include "app/window_thread_front.h"
#include "backup/unlha32.h"
#include "run/folder_place.h"
#include "settings/settings_file.h"
#include "ui/application.h"
#include "ui/window.h"
#include "ui/worker.h"
#include "win/clock.h"
#include "win/pause_point.h"
#include "win/program_arguments.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace {

yx::app::StartupOptions ReadStartup() {
  yx::app::StartupOptions options;
  options.exe_path = yx::win::ExePath();
  for (const std::wstring& arg : yx::win::ProgramArguments())
    options.args.push_back(yx::win::FromWide(arg));
  return options;
}

#ifdef YX_TEST_CLOCK
std::wstring Environment(const wchar_t* name);
std::unique_ptr<yx::app::AfterRunEffects> TestEffects(const std::wstring& exe_path, HWND window);
#endif

// The command and the notification after a run leave the process for real,
// except in the test program, which records the notification.
// `window` shows the notification.
std::unique_ptr<yx::app::AfterRunEffects> AfterRunEffectsFor(const std::wstring& exe_path,
                                                             HWND window) {
#ifdef YX_TEST_CLOCK
  return TestEffects(exe_path, window);
#else
  return std::make_unique<yx::app::SystemEffects>(exe_path, window);
#endif
}

// What ended the program early, as its log line says it.
std::string FaultText(std::exception_ptr fault) {
  std::string text = "処理中に例外が発生したため終了しました: ";
  if (!fault) return text;
  try {
    std::rethrow_exception(fault);
  } catch (const std::exception& e) {
    text += e.what();
  } catch (...) {
    text += "(不明な例外)";
  }
  return text;
}

int RunProgram(HINSTANCE instance) {
  yx::ui::Application app(instance);
  app.SetTitle(yx::app::kApplicationTitle);
  const yx::app::StartupOptions options = ReadStartup();
  const std::string app_dir = yx::run::ProgramFolder(options.exe_path);
  yx::run::FolderPlace place(app_dir);
  const std::string log_dir = app_dir + "log\\";
  yx::run::RunSession session(place, log_dir, yx::run::UnattendedCommandLine(options.args));
  if (session.Unattended()) {
    // Users and schedulers know the program by its taskbar entry, which an
    // unattended run shows minimised: that, and the copy run's progress, is
    // all the run builds.
    yx::app::UnattendedWindow window(app, session, log_dir);
    window.SetAfterRunEffects(AfterRunEffectsFor(options.exe_path, window.Handle()));
    yx::app::TForm3 progress(app);
    window.AttachProgressForm(progress);
    app.Minimize();
    // The run on its own thread, the windows answering on this one; a fault
    // of the run ends the program as one in a window procedure would.
    yx::ui::Worker worker;
    (void)worker.Start(
        app.Handle(),
        [&] {
          const yx::settings::Settings settings =
              yx::settings::LoadSettings(app_dir + std::string(yx::settings::kFileName));
          // A copy run never calls the archiver: loading it would only slow the start.
          if (settings.use_lha) yx::backup::unlha32::Load();
          yx::app::WindowThreadFront front(window.Handle(), window);
          session.Run(settings, yx::backup::unlha32::LibraryLoaded(), front);
        },
        [&] { app.Terminate(); });
    app.Run();
  } else {
    yx::backup::unlha32::Load();
    yx::app::TForm2 form(app, yx::ui::SystemDialogs(), options, session);
    form.SetAfterRunEffects(AfterRunEffectsFor(options.exe_path, form.Handle()));
    yx::app::TForm3 progress(app);
    form.AttachProgressForm(progress);
    app.Run();
    form.WaitForWork();
  }
  if (!app.Faulted()) return session.ExitStatus();
  // A fault that reached a window procedure ended the loop (ui/window.h):
  // a status of its own, beside 1 (log not saved) and 2 (run refused), and
  // its reason with the lines the log did not take, beside the program.
  place.AppendToFallback(yx::FormatDateTime(yx::log::kStamp, yx::win::Now()) + "\t" +
                         FaultText(yx::ui::TakeWindowFault()) + "\r\n" + session.Log().Unsaved());
  constexpr int kFaultStatus = 3;
  return kFaultStatus;
}

#ifdef YX_TEST_CLOCK
std::wstring Environment(const wchar_t* name) {
  wchar_t text[256] = {};
  const DWORD length = ::GetEnvironmentVariableW(name, text, 256);
  return length < 256 ? std::wstring(text, length) : std::wstring();
}

// Built into a separate test program only. The clock stands at the time given
// in YX_TEST_NOW ("yyyy-mm-dd hh:nn:ss") and moves only by YX_TEST_STEP_MS at
// each reading (0 when unset), so every stamp a run writes is the same on any
// machine, however slowly it runs. The shipped program has no such way in.
void StartTestClock() {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  if (swscanf(Environment(L"YX_TEST_NOW").c_str(), L"%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi,
              &s) != 6)
    return;
  const double step = _wtoi(Environment(L"YX_TEST_STEP_MS").c_str()) / 86'400'000.0;
  yx::win::SetClockForTesting(yx::SteppingClock(yx::EncodeDateTime(y, mo, d, h, mi, s), step));
}

// The commands run for real; the notification is written, one text a line,
// to the file YX_TEST_NOTIFY names (nowhere when unset), so that a test sees
// it without a notification area and no test waits the seconds it shows.
class RecordedNotice final : public yx::app::SystemEffects {
 public:
  using SystemEffects::SystemEffects;
  std::string Notify(std::string_view cp932_text) override {
    const std::wstring file = Environment(L"YX_TEST_NOTIFY");
    if (file.empty()) return {};
    yx::win::UniqueFile out(::CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string line = std::string(cp932_text) + "\n";
    DWORD put = 0;
    if (!out ||
        !::WriteFile(out.get(), line.data(), static_cast<DWORD>(line.size()), &put, nullptr))
      return "YX_TEST_NOTIFY cannot be written";
    return {};
  }
};

std::unique_ptr<yx::app::AfterRunEffects> TestEffects(const std::wstring& exe_path, HWND window) {
  return std::make_unique<RecordedNotice>(exe_path, window);
}

// YX_TEST_PAUSE_AT="name" or "name#n" (the n-th time, from 1) holds the
// program at that pause point: it sets the named event YX_TEST_PAUSE_EVENT and
// waits for ever, for the test to kill it there.
void StartTestPausePoint() {
  std::wstring at = Environment(L"YX_TEST_PAUSE_AT");
  const std::wstring event = Environment(L"YX_TEST_PAUSE_EVENT");
  if (at.empty() || event.empty()) return;
  int count = 1;
  if (const auto hash = at.find(L'#'); hash != std::wstring::npos) {
    count = _wtoi(at.c_str() + hash + 1);
    at.resize(hash);
  }
  yx::win::SetPausePointForTesting(
      [point = yx::win::FromWide(at), count, event](std::string_view name) mutable {
        if (name != point || --count != 0) return;
        if (HANDLE signal = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, event.c_str())) {
          ::SetEvent(signal);
          ::CloseHandle(signal);
        }
        ::Sleep(INFINITE);
      });
}
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
#ifdef YX_TEST_CLOCK
  StartTestClock();
  StartTestPausePoint();
#endif
  const int status = RunProgram(instance);
  yx::backup::unlha32::Unload();
  return status;
}
