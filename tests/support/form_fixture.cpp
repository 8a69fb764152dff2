#include "support/form_fixture.h"

#include "support/run_fixture.h"

namespace yx::test {
namespace {

thread_local HHOOK g_box_hook = nullptr;

// Answers OK the moment the message box becomes active: by then the settings
// window has lost its activation, and it gets it back when the box closes.
LRESULT CALLBACK AnswerBoxWhenActive(int code, WPARAM wp, LPARAM lp) noexcept {
  const auto window = reinterpret_cast<HWND>(wp);
  wchar_t cls[16] = {};
  if (code == HCBT_ACTIVATE && ::GetClassNameW(window, cls, 16) && std::wstring(cls) == L"#32770")
    ::PostMessageW(window, WM_COMMAND, IDOK, 0);
  return ::CallNextHookEx(g_box_hook, code, wp, lp);
}

}  // namespace

void FakeDialogs::ShowMessage(HWND owner, const std::string& title, const std::string& text) {
  shown.push_back({"message", title, text, win::ToWide(text), ::GetFocus()});
  if (!real_boxes) return;
  g_box_hook = ::SetWindowsHookExW(WH_CBT, &AnswerBoxWhenActive, nullptr, ::GetCurrentThreadId());
  ui::SystemDialogs().ShowMessage(owner, title, text);
  ::UnhookWindowsHookEx(g_box_hook);
  g_box_hook = nullptr;
}

app::TForm2& FormTest::Start(std::vector<std::string> args) {
  progress_.reset();
  form_.reset();
  session_.reset();
  app_ = std::make_unique<ui::Application>(::GetModuleHandleW(nullptr));
  app_->SetTitle("Yorudex");
  app::StartupOptions options{dir.Path() + L"Yorudex.exe", std::move(args)};
  place_ = std::make_unique<run::FolderPlace>(dir.PathA());
  // A run shows its copied count, where a test acts, after every fourth file.
  place_->SetTicksForTesting(SteppedTicks());
  session_ = std::make_unique<run::RunSession>(*place_, dir.PathA() + "log\\",
                                               run::UnattendedCommandLine(options.args));
  form_ = std::make_unique<app::TForm2>(*app_, dialogs, options, *session_);
  progress_ = std::make_unique<app::TForm3>(*app_);
  form_->AttachProgressForm(*progress_);
  auto effects = std::make_unique<RecordedEffects>();
  effects_ = effects.get();
  form_->SetAfterRunEffects(std::move(effects));
  Pump();
  return *form_;
}

void FormTest::SetNow(DateTime when) {
  win::SetClockForTesting([when] { return when; });
}

void FormTest::Click(const ui::Control& control) {
  ::SendMessageW(control.Handle(), BM_CLICK, 0, 0);
  Pump();
}

bool FormTest::FormOpen() const { return form_ && ::IsWindow(form_->Handle()); }

void FormTest::TearDown() {
  progress_.reset();
  form_.reset();
  session_.reset();
  place_.reset();
  app_.reset();
  win::SetClockForTesting(nullptr);
  // A closed main window leaves its quit request behind; the next test's
  // window must not see it.
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

}  // namespace yx::test
