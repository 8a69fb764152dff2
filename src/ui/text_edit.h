#pragma once
#include "ui/control.h"

namespace yx::ui {

// A one-line text field. Its text is kept here as CP932 bytes exactly as set,
// so that text which the screen cannot show is still saved as it came.
class TextEdit : public Control {
 public:
  Event on_change;
  // The input focus left the field.
  Event on_leave;

  void Create(HWND parent, RECT bounds, HFONT font);
  [[nodiscard]] const std::string& Text() const noexcept { return text_; }
  void SetText(std::string_view cp932);

  void OnCommand(WORD code) override;

 private:
  std::string text_;
  bool setting_ = false;
};

}  // namespace yx::ui
