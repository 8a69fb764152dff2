#pragma once
// Starts the real settings window in this process, in a fresh folder that
// stands for the program's folder, with the message boxes answered by the test.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/settings_form.h"
#include "app/progress_form.h"
#include "run/folder_place.h"
#include "run/run_session.h"
#include "support/pump.h"
#include "support/temp_folder.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "win/clock.h"
#include "win/text.h"

namespace yx::test {

class FakeDialogs final : public ui::Dialogs {
 public:
  struct Shown {
    std::string kind, title, text;
    std::wstring wide_text;
    HWND focus = nullptr;  // the focus as the message came
  };
  std::vector<Shown> shown;
  bool answer_yes = true;
  // Plain messages open a real message box, closed as soon as it is active.
  bool real_boxes = false;

  void ShowMessage(HWND owner, const std::string& title, const std::string& text) override;
  void ShowWideMessage(HWND, const std::string& title, const std::wstring& text) override {
    shown.push_back({"message", title, win::FromWide(text), text, ::GetFocus()});
  }
  void ShowError(HWND, const std::string& title, const std::string& text) override {
    shown.push_back({"error", title, text, win::ToWide(text), ::GetFocus()});
  }
  bool AskYesNo(HWND, const std::string& title, const std::string& text) override {
    shown.push_back({"question", title, text, win::ToWide(text), ::GetFocus()});
    return answer_yes;
  }
  bool OpenDocument(HWND, const std::wstring& path, win::Failure&) override {
    shown.push_back({"document", "", win::FromWide(path), path, ::GetFocus()});
    return true;
  }
};

// What the window would start and show after a run, kept instead.
class RecordedEffects final : public app::AfterRunEffects {
 public:
  std::vector<std::wstring> commands;
  std::vector<std::string> notices;
  int finished = 0;     // commands waited for
  DWORD exit_code = 0;  // what each command ends with

  bool StartCommand(const std::wstring& command_line, win::Failure&) override {
    commands.push_back(command_line);
    return true;
  }
  win::CommandProcess::End FinishCommand(DWORD, DWORD& code) override {
    ++finished;
    code = exit_code;
    return win::CommandProcess::End::kExited;
  }
  std::string Notify(std::string_view text) override {
    notices.emplace_back(text);
    return {};
  }
};

class FormTest : public ::testing::Test {
 protected:
  void TearDown() override;

  // Starts the window; `args` are the command-line arguments.
  app::TForm2& Start(std::vector<std::string> args = {});
  // Sets the clock every reading of "now" takes.
  void SetNow(DateTime when);
  // Clicks a control as a user would and lets the window handle what follows.
  void Click(const ui::Control& control);
  // The window's messages, until no run or walk it started goes on.
  void Pump() {
    PumpUntil(*app_, [this] { return !form_ || !form_->Busy(); });
  }
  // 実行, and the run to its end.
  void Exec() {
    form_->BtnExecClick();
    Pump();
  }
  [[nodiscard]] bool FormOpen() const;
  [[nodiscard]] std::string Ini() const { return dir.ReadFile(L"Yorudex.INI"); }
  [[nodiscard]] bool IniExists() const { return dir.Exists(L"Yorudex.INI"); }
  void WriteIni(std::string_view body) const { dir.WriteFile(L"Yorudex.INI", body); }

  TempFolder dir;
  FakeDialogs dialogs;
  std::unique_ptr<ui::Application> app_;
  std::unique_ptr<run::FolderPlace> place_;
  std::unique_ptr<run::RunSession> session_;
  std::unique_ptr<app::TForm2> form_;
  std::unique_ptr<app::TForm3> progress_;
  RecordedEffects* effects_ = nullptr;  // owned by the window
};

}  // namespace yx::test
