#pragma once
#include "ui/control.h"

namespace yx::ui {

// The pictures of the six command buttons, drawn with GDI so that they stay
// sharp at 57 x 22 on any screen.
enum class Glyph { Save, Help, Exit, Run, Version, Minimize };

// A flat command button with a picture in two states: enabled in colour,
// disabled in grey.
class FlatButton : public Control {
 public:
  Event on_click;

  void Create(HWND parent, std::string_view cp932_caption, RECT bounds, HFONT font, Glyph glyph);
  void OnCommand(WORD code) override;
  bool OnDrawItem(const DRAWITEMSTRUCT& item) override;

 private:
  std::wstring caption_;
  Glyph glyph_ = Glyph::Save;
};

}  // namespace yx::ui
