#pragma once
#include "ui/control.h"

namespace yx::ui {

// A number field that changes only by its arrows (buttons or the Up and Down
// keys), one step at a time; typing, pasting and cutting are refused, and
// every value it is given is held within its range.
class SpinBox : public Control {
 public:
  Event on_change;

  void Create(HWND parent, RECT bounds, HFONT font, int min, int max, int value);
  [[nodiscard]] int Value() const noexcept { return value_; }
  void SetValue(int value);
  [[nodiscard]] int Min() const noexcept { return min_; }
  [[nodiscard]] int Max() const noexcept { return max_; }
  [[nodiscard]] HWND UpDownHandle() const noexcept { return updown_; }

  LRESULT OnNotify(const NMHDR& hdr) override;

 private:
  static LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
  void ShowValue() const;

  HWND updown_ = nullptr;
  int min_ = 0, max_ = 0, value_ = 0;
};

}  // namespace yx::ui
