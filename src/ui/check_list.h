#pragma once
#include <vector>

#include "ui/control.h"

namespace yx::ui {

// A list of captioned rows, each with a tick. A tick toggled by the user
// raises the event; ticks set from code raise none.
class CheckList : public Control {
 public:
  Event on_click_check;

  void Create(HWND parent, RECT bounds, HFONT font, const std::vector<std::string>& cp932_items);
  [[nodiscard]] size_t Count() const noexcept { return checked_.size(); }
  [[nodiscard]] bool Checked(size_t row) const { return checked_.at(row); }
  void SetChecked(size_t row, bool checked);
  // The row's tick box on screen, in client coordinates (for tests that click).
  [[nodiscard]] RECT TickRect(size_t row) const;

  LRESULT OnNotify(const NMHDR& hdr) override;

 private:
  std::vector<bool> checked_;
  bool setting_ = false;
};

}  // namespace yx::ui
