#include "ui/push_button.h"

#include "win/text.h"

namespace yx::ui {

void PushButton::Create(HWND parent, std::string_view cp932_caption, RECT bounds, HFONT font) {
  CreateChild(parent, L"BUTTON", win::ToWide(cp932_caption), BS_PUSHBUTTON | WS_TABSTOP, bounds);
  SetFont(font);
}

void PushButton::OnCommand(WORD code) {
  if (code == BN_CLICKED && on_click) on_click();
}

}  // namespace yx::ui
