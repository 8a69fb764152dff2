// The commands of the settings window and the reactions of its coupled
// controls.
#include "app/settings_form.h"
#include "win/clock.h"
#include "win/failure.h"
#include "win/file_system.h"

namespace yx::app {

void TForm2::BtnSetClick() {
  if (worker_.Busy()) return;
  (void)CheckAndSaveSettings(win::Now());
}

void TForm2::BtnHelpClick() {
  // A help file put at the old fixed place is still what the user asked for;
  // otherwise the guide that ships beside the program opens in the browser.
  if (win::Attributes(win::WidePath(kHelpFile)) != INVALID_FILE_ATTRIBUTES) {
    constexpr UINT kHelpContents = 3;
    ::WinHelpA(hwnd_, kHelpFile, kHelpContents, 0);
    return;
  }
  const std::string guide = AppDir + kGuideFile;
  win::Failure failure;
  if (!dialogs_.OpenDocument(hwnd_, win::WidePath(guide), failure))
    ShowError(guide + " を開けません: " + failure.Reason());
}

bool TForm2::HandleCommandKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || (msg.hwnd != hwnd_ && !::IsChild(hwnd_, msg.hwnd))) return false;
  const bool control = ::GetKeyState(VK_CONTROL) < 0;
  ui::FlatButton* button = nullptr;
  if (msg.wParam == VK_F1 && !control)
    button = &BtnHelp;
  else if (msg.wParam == VK_F5 && !control)
    button = &BtnExec;
  else if (msg.wParam == 'S' && control)
    button = &BtnSet;
  if (!button) return false;
  // Held off during a run, the key does what a click would: nothing.
  if (button->Enabled()) button->on_click();
  return true;
}

void TForm2::BtnVerClick() {
  // Single carriage returns, as the message has always been written.
  const std::string text =
      std::string("Yorudex ver0.80a\r\rNAME: ") + kAuthorName + "\rDATE: 01/05/23";
  dialogs_.ShowMessage(hwnd_, app_.Title(), text);
}

void TForm2::BtnExitClick() {
  if (worker_.Busy()) return;
  if (!Modified || session_.Unattended()) {
    ::DestroyWindow(hwnd_);
    return;
  }
  if (!dialogs_.AskYesNo(hwnd_, app_.Title(), "設定が変更されてます。保存しますか?")) {
    ::DestroyWindow(hwnd_);
    return;
  }
  if (CheckAndSaveSettings(win::Now())) ::DestroyWindow(hwnd_);
}

void TForm2::BtnMinClick() { app_.Minimize(); }

void TForm2::RdoDelDClick() {
  LblDel.SetCaption(RdoDelD.Checked() ? "日保持" : "月保持");
  Modified = true;
}

void TForm2::RdoKillDClick() {
  LblKill.SetCaption(RdoKillD.Checked() ? "日保持" : "月保持");
  Modified = true;
}

void TForm2::ChkTime1Click() {
  ChkTime2.SetChecked(!ChkTime1.Checked());
  Modified = true;
}

void TForm2::ChkTime2Click() {
  ChkTime1.SetChecked(!ChkTime2.Checked());
  Modified = true;
}

void TForm2::MarkSettingsChanged() { Modified = true; }

}  // namespace yx::app
