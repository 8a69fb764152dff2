#include "app/progress_form.h"

#include <cmath>
#include <string>

#include "ui/dpi.h"
#include "ui/font.h"
#include "win/clock.h"
#include "win/text.h"

namespace yx::app {
namespace {

constexpr wchar_t kClassName[] = L"TForm3";
constexpr int kClientWidth = 349;
constexpr int kClientHeight = 124;
constexpr int kFontHeight = 16;
constexpr int kBtnAbort = 100;

// A fixed dialog frame with a caption but no system menu: no close, minimise
// or maximise button, and no resizing.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;

// The time of day of a date-time value, whole days dropped.
DateTime TimeOfDay(DateTime value) { return value - std::floor(value); }

}  // namespace

TForm3::TForm3(ui::Application& app)
    : app_(app), sink_(state_, [this](ProgressState::Stage stage) {
        ui::PostToWindowThread(window_, [this, stage] { StageChanged(stage); });
      }) {
  RegisterClassOnce(app_.Instance(), kClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  const int dpi = ui::SystemDpi();
  RECT frame{0, 0, ui::Scaled(kClientWidth, dpi), ui::Scaled(kClientHeight, dpi)};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT work{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int left = work.left + (work.right - work.left - width) / 2;
  const int top = work.top + (work.bottom - work.top - height) / 2;
  // Owned by the application window: no taskbar entry of its own.
  ::CreateWindowExW(kExStyle, kClassName, win::ToWide("Backup 処理中").c_str(), kStyle, left, top,
                    width, height, app_.Handle(), nullptr, app_.Instance(), this);
  if (window_) FormCreate();
}

TForm3::~TForm3() {
  if (window_) ::DestroyWindow(window_);
}

void TForm3::FormCreate() {
  TitleProgress = false;
  font_ = ui::MakeFont(ui::kFacePGothic, kFontHeight);
  bold_font_ = ui::MakeFont(ui::kFacePGothic, kFontHeight, true);

  // Created first, so it comes first in the tab order.
  btn_abort_ = ui::CreateScaledChild(0, L"BUTTON", win::ToWide("中断").c_str(),
                                     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                     RECT{136, 96, 136 + 75, 96 + 25}, window_);
  ::SetWindowLongPtrW(btn_abort_, GWLP_ID, kBtnAbort);
  ::SendMessageW(btn_abort_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  CreateLabel(lbl_file_all_caption_, "総ファイル数", 24, 8);
  CreateLabel(lbl_file_all_, "初期化中", 128, 8);
  CreateLabel(lbl_time_all_caption_, "経過時間", 24, 32);
  CreateLabel(lbl_time_all_, "初期化中", 128, 32);
  gauge_.Create(window_, RECT{8, 56, 8 + 337, 56 + 25}, ui::AsFont(font_));
  gauge_.SetMinValue(0);
  gauge_.SetMaxValue(100);
  gauge_.SetProgress(0);
}

void TForm3::CreateLabel(ui::Label& label, std::string_view cp932_text, int left, int top) {
  label.Create(window_, cp932_text, RECT{left, top, left, top}, ui::AsFont(bold_font_));
  FitToText(label);
}

void TForm3::SetLabelText(ui::Label& label, std::string_view cp932_text) {
  if (label.Caption() == cp932_text) return;
  label.SetCaption(cp932_text);
  FitToText(label);
}

void TForm3::FitToText(const ui::Label& label) {
  // The labels size themselves to their text, as wide and as high as it is.
  const HWND hwnd = label.Handle();
  const HDC dc = ::GetDC(hwnd);
  if (!dc) return;
  const HGDIOBJ old = ::SelectObject(dc, bold_font_.get());
  const std::wstring text = ui::WindowTextWide(hwnd);
  SIZE size{};
  TEXTMETRICW tm{};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  ::GetTextMetricsW(dc, &tm);
  ::SelectObject(dc, old);
  ::ReleaseDC(hwnd, dc);
  ::SetWindowPos(hwnd, nullptr, 0, 0, size.cx, tm.tmHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm3::ShowState() {
  SetLabelText(lbl_file_all_, std::to_string(state_.counted));
  // Until the count is whole the gauge stays at the run's start.
  if (const int32_t total = state_.total; total >= 0) gauge_.SetMaxValue(total);
  gauge_.SetProgress(state_.files_done);
}

void TForm3::StageChanged(ProgressState::Stage stage) {
  const bool busy = stage != ProgressState::Stage::kEnded;
  if (busy)
    StartProgress(TitleProgress);
  else
    StopProgress();
  if (on_backup_) on_backup_(busy);
}

void TForm3::StartProgress(bool title_progress) {
  TitleProgress = title_progress;
  gauge_.SetProgress(0);
  gauge_.SetMaxValue(100);
  StartTime = TimeOfDay(win::Now());
  // Setting the timer again restarts its interval.
  ::SetTimer(window_, kTimerId, kTimerInterval, nullptr);
  if (TitleProgress) {
    // A run nobody started from the window takes no keys from the program the
    // user is typing in: shown on top, but not made active.
    ::ShowWindow(window_, SW_SHOWNOACTIVATE);
    ::SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return;
  }
  ::ShowWindow(window_, SW_SHOW);
  ::SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ::SetForegroundWindow(window_);
  // As a dialog would: the abort button has the focus, so Space presses it.
  ::SetFocus(btn_abort_);
}

void TForm3::StopProgress() {
  ShowState();
  ::KillTimer(window_, kTimerId);
  ::ShowWindow(window_, SW_HIDE);
}

void TForm3::TimerTimer() {
  ShowState();
  if (TitleProgress) {
    const std::string title = "Yorudex " + std::to_string(gauge_.Percent()) + "%";
    if (app_.Title() != title) app_.SetTitle(title);
  }
  // Both readings are times of day: a run that passed midnight has a
  // negative difference, which is the elapsed time less one day.
  DateTime elapsed = TimeOfDay(win::Now()) - StartTime;
  if (elapsed < 0) elapsed += 1;
  SetLabelText(lbl_time_all_, FormatDuration(elapsed));
}

void TForm3::BtnAbortClick() {
  state_.cancel = true;
  // Closing a secondary window only hides it.
  ::ShowWindow(window_, SW_HIDE);
}

LRESULT TForm3::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      if (wp == kTimerId) {
        TimerTimer();
        return 0;
      }
      break;
    case WM_COMMAND:
      if (LOWORD(wp) == kBtnAbort && HIWORD(wp) == BN_CLICKED) {
        BtnAbortClick();
        return 0;
      }
      break;
    case WM_DPICHANGED:
      ui::RemakeFont(window_, font_, ui::kFacePGothic, kFontHeight, false, HIWORD(wp));
      ui::RemakeFont(window_, bold_font_, ui::kFacePGothic, kFontHeight, true, HIWORD(wp));
      ui::Relayout(window_, HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      for (const ui::Label* label :
           {&lbl_file_all_caption_, &lbl_file_all_, &lbl_time_all_caption_, &lbl_time_all_})
        FitToText(*label);
      return 0;
    case WM_CLOSE:
      // Alt+F4 would otherwise hide the window and leave the run going with
      // no way to stop it: closing it is taken as the abort it looks like.
      BtnAbortClick();
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(window_, msg, wp, lp);
}

}  // namespace yx::app
