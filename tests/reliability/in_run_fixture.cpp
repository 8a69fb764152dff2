#include "reliability/in_run_fixture.h"

#include "win/text.h"

namespace yx::test {

void InRunTest::SetUp() { SetNow(when); }

void InRunTest::SourceTree(int folders, int files, bool top_files) {
  total_files = 0;
  for (int f = top_files ? 0 : 1; f <= folders; ++f) {
    const std::wstring folder =
        f == 0 ? L"src\\Work\\" : L"src\\Work\\d" + std::to_wstring(f) + L"\\";
    for (int i = 0; i < files; ++i, ++total_files)
      dir.WriteFile(folder + L"f" + std::to_wstring(i) + L".txt",
                    std::string(100 + f * 10 + i, static_cast<char>('a' + i % 26)));
  }
}

void InRunTest::StartUnattended() {
  Start({"/AUTO"});
  dir.MakeFolder(L"dest");
  form_->EditTo.SetText(Dest());
  form_->EditFrom.SetCell(0, dir.PathA() + "src\\Work");
  app_->SetMessageHook([this](MSG& msg, bool&) {
    if (on_message) on_message(msg);
  });
  log::RunLog& log = form_->RunLog();
  log.on_append = [this, shown = log.on_append](std::string_view added) {
    if (shown) shown(added);
    if (on_line) on_line(added);
  };
}

std::string InRunTest::Run() {
  form_->BtnExecClick(nullptr);
  EXPECT_TRUE(dialogs.shown.empty()) << "a dialog in an unattended run: " << dialogs.shown[0].text;
  EXPECT_FALSE(::IsWindowVisible(progress_->Handle()));
  return form_->RunLog().Text();
}

void InRunTest::PressAbort() const { ::PostMessageW(progress_->BtnAbort(), BM_CLICK, 0, 0); }

}  // namespace yx::test
