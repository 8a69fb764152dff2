#include "ui/label.h"

#include "win/text.h"

namespace yx::ui {

void Label::Create(HWND parent, std::string_view cp932_caption, RECT bounds, HFONT font) {
  caption_ = std::string(cp932_caption);
  CreateChild(parent, L"STATIC", win::ToWide(caption_), SS_LEFTNOWORDWRAP | SS_NOPREFIX, bounds);
  SetFont(font);
}

void Label::SetCaption(std::string_view cp932_caption) {
  if (caption_ == cp932_caption) return;
  caption_ = std::string(cp932_caption);
  SetWindowTextCp932(hwnd_, caption_);
}

void GroupBox::Create(HWND parent, std::string_view cp932_caption, RECT bounds, HFONT font) {
  CreateChild(parent, L"BUTTON", win::ToWide(cp932_caption), BS_GROUPBOX, bounds);
  SetFont(font);
}

}  // namespace yx::ui
