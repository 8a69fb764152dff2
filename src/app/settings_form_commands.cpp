// The commands of the settings window and the reactions of its coupled
// controls.
#include "app/settings_form.h"
#include "win/clock.h"

namespace yx::app {

void TForm2::BtnSetClick() {
  if (worker_.Busy()) return;
  (void)CheckAndSaveSettings(win::Now());
}

void TForm2::BtnHelpClick() {
  constexpr UINT kHelpContents = 3;
  ::WinHelpA(hwnd_, kHelpFile, kHelpContents, 0);
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
