#include "ui/check_box.h"

#include "win/text.h"

namespace yx::ui {

void CheckBox::Create(HWND parent, std::string_view cp932_caption, RECT bounds, HFONT font,
                      bool checked) {
  // A plain (not automatic) check box: the state lives here and the control
  // only shows it, so a click and a change from code take the same path.
  CreateChild(parent, L"BUTTON", win::ToWide(cp932_caption), BS_CHECKBOX | WS_TABSTOP, bounds);
  SetFont(font);
  checked_ = checked;
  ::SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBox::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  ::SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  if (on_click) on_click();
}

void CheckBox::OnCommand(WORD code) {
  if (code == BN_CLICKED) SetChecked(!checked_);
}

void RadioButton::Create(HWND parent, std::string_view cp932_caption, RECT bounds, HFONT font,
                         bool checked, bool first_of_group) {
  CreateChild(parent, L"BUTTON", win::ToWide(cp932_caption),
              BS_RADIOBUTTON | BS_NOTIFY | WS_TABSTOP | (first_of_group ? WS_GROUP : 0), bounds);
  SetFont(font);
  checked_ = checked;
  Show();
}

void RadioButton::Show() const {
  ::SendMessageW(hwnd_, BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void RadioButton::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  Show();
  if (!checked) return;
  for (RadioButton* other : others_) {
    other->checked_ = false;
    other->Show();
  }
  if (on_click) on_click();
}

void RadioButton::OnCommand(WORD code) {
  // The arrow keys move the focus within the group; the button they land on
  // is chosen, as in any dialog. A mouse press chooses it only when released.
  const bool by_key = code == BN_SETFOCUS && ::GetKeyState(VK_LBUTTON) >= 0;
  if (code == BN_CLICKED || by_key) SetChecked(true);
}

}  // namespace yx::ui
