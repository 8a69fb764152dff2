#pragma once
#include "ui/control.h"

namespace yx::ui {

// A plain push button.
class PushButton : public Control {
 public:
  Event on_click;
  void Create(HWND parent, std::string_view cp932_caption, RECT bounds, HFONT font);
  void SetCaption(std::string_view cp932_caption) const;
  void OnCommand(WORD code) override;
};

}  // namespace yx::ui
