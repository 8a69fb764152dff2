#pragma once
#include "ui/control.h"

namespace yx::ui {

// The small texts that show when the mouse rests on a control: a popup
// window of its own, owned by the form, so no page gains a control.
class ToolTips {
 public:
  void Create(HWND owner);
  void Add(const Control& tool, std::string_view cp932_text);
  [[nodiscard]] HWND Handle() const noexcept { return hwnd_; }
  // The text shown for `tool`, empty when it has none.
  [[nodiscard]] std::wstring TextOf(const Control& tool) const;

 private:
  HWND hwnd_ = nullptr;
};

}  // namespace yx::ui
