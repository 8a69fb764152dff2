#include "support/form_fixture.h"

namespace yx::test {

app::TForm2& FormTest::Start(std::vector<std::string> args) {
  app_ = std::make_unique<ui::Application>(::GetModuleHandleW(nullptr));
  app_->SetTitle("Yorudex");
  app::StartupOptions options{dir.Path() + L"Yorudex.exe", std::move(args)};
  form_ = std::make_unique<app::TForm2>(*app_, dialogs, options);
  progress_ = std::make_unique<backup::TForm3>(*app_, form_->CancelRequested);
  form_->AttachProgressForm(*progress_);
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
  app_.reset();
  win::SetClockForTesting(nullptr);
  // A closed main window leaves its quit request behind; the next test's
  // window must not see it.
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

}  // namespace yx::test
