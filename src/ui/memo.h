#pragma once
#include "ui/control.h"

namespace yx::ui {

// A read-only, wrapping, multi-line view of text kept elsewhere. It shows the
// tail of very long texts: the text itself is never cut, only its display.
class Memo : public Control {
 public:
  static constexpr size_t kMaxShownChars = 1 << 20;

  void Create(HWND parent, RECT bounds, HFONT font);
  // Replaces what is shown and scrolls to the beginning.
  void ShowText(std::string_view cp932);
  // Adds to the end and scrolls so that the end is visible.
  void AppendText(std::string_view cp932);
  // Scrolls the last line that begins with `line_start` to the top, so that
  // it and what follows it are in view; stays put when there is none.
  void ScrollToLastLine(std::wstring_view line_start);
  [[nodiscard]] std::wstring ShownText() const { return WindowTextWide(hwnd_); }
};

}  // namespace yx::ui
