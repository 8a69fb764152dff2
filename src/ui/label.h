#pragma once
#include "ui/control.h"

namespace yx::ui {

// A static text; `autosize` makes it as wide and high as its text.
class Label : public Control {
 public:
  void Create(HWND parent, std::string_view cp932_caption, RECT bounds, HFONT font);
  void SetCaption(std::string_view cp932_caption);
  [[nodiscard]] const std::string& Caption() const noexcept { return caption_; }

 private:
  std::string caption_;
};

class GroupBox : public Control {
 public:
  void Create(HWND parent, std::string_view cp932_caption, RECT bounds, HFONT font);
};

}  // namespace yx::ui
