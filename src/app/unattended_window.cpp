#include "app/unattended_window.h"

#include "app/month_log_start.h"
#include "app/progress_form.h"
#include "app/settings_form.h"
#include "win/clock.h"

namespace yx::app {
namespace {
constexpr wchar_t kClassName[] = L"YorudexUnattended";
}

UnattendedWindow::UnattendedWindow(ui::Application& app, run::RunSession& session,
                                   const std::string& log_dir)
    : app_(app), session_(session), log_dir_(log_dir) {
  RegisterClassOnce(::GetModuleHandleW(nullptr), kClassName,
                    reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  // The settings window's frame and place, should a user bring the window
  // back from the taskbar during the run.
  constexpr DWORD style = WS_POPUP | WS_CAPTION;
  CreateCentred(this, ::GetModuleHandleW(nullptr), app_.Handle(), kClassName, L"起動日時設定",
                style, 0, kSettingsClientWidth, kSettingsClientHeight);
  app_.SetMainWindow(hwnd_);
  StartMonthLog(session_, log_dir, *this);
  app_.ShowTaskbarEntry();
  // Not made active: a run that starts while the user works takes no keys
  // from the program in front.
  ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

UnattendedWindow::~UnattendedWindow() {
  // Gone with the object: its WM_DESTROY would end the message loop.
  if (hwnd_) DestroyUnbound(hwnd_);
}

std::vector<std::string> UnattendedWindow::RunEnded(const run::RunEnding& ending,
                                                    const settings::Settings& settings) {
  if (!after_run_) return {};
  return FollowUpRun(ending, settings, log_dir_, win::Now(), *after_run_);
}

void UnattendedWindow::AttachProgressForm(TForm3& progress) {
  progress_ = &progress;
  // The taskbar entry is all there is to see of the run.
  progress.TitleProgress = true;
}

void UnattendedWindow::ShowMessage(std::string_view text) { session_.Log().LogLine(text); }

void UnattendedWindow::ShowError(std::string_view text) { session_.Log().LogLine(text); }

backup::ProgressSink& UnattendedWindow::Progress() { return progress_->Sink(); }

LRESULT UnattendedWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  // Closed (from the taskbar): the program ends, as with the settings window.
  if (msg == WM_DESTROY) app_.Terminate();
  return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace yx::app
