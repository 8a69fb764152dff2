#include "ui/text_edit.h"

#include "win/text.h"

namespace yx::ui {

void TextEdit::Create(HWND parent, RECT bounds, HFONT font) {
  CreateChild(parent, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, bounds, WS_EX_CLIENTEDGE);
  SetFont(font);
  // The default limit of 30000 characters would cut a long path silently.
  ::SendMessageW(hwnd_, EM_SETLIMITTEXT, 0, 0);
}

void TextEdit::SetText(std::string_view cp932) {
  if (text_ == cp932) return;
  text_ = std::string(cp932);
  setting_ = true;
  SetWindowTextCp932(hwnd_, text_);
  setting_ = false;
  if (on_change) on_change();
}

void TextEdit::OnCommand(WORD code) {
  if (code == EN_KILLFOCUS && on_leave) on_leave();
  if (code != EN_CHANGE || setting_) return;
  std::string typed = win::FromWide(WindowTextWide(hwnd_));
  if (typed == text_) return;
  text_ = std::move(typed);
  if (on_change) on_change();
}

}  // namespace yx::ui
