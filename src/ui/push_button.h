#pragma once
#include "ui/control.h"

namespace yx::ui {

// A push button; a click, Enter or Space on it, or its mnemonic raises the event.
class PushButton : public Control {
 public:
  Event on_click;
  void Create(HWND parent, std::string_view cp932_caption, RECT bounds, HFONT font);
  void OnCommand(WORD code) override;
};

}  // namespace yx::ui
