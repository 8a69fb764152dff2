#pragma once
#include <array>
#include <vector>

#include "ui/control.h"

namespace yx::ui {

// A tab control whose pages are windows of their own; the pages hand their
// controls' notifications on to the controls' wrappers.
class PageControl : public Control {
 public:
  void Create(HWND parent, RECT bounds, HFONT font, const std::vector<std::string>& cp932_tabs);
  [[nodiscard]] HWND Page(int index) const { return pages_.at(static_cast<size_t>(index)); }
  [[nodiscard]] int ActivePage() const noexcept { return active_; }
  void SetActivePage(int index);
  // Brings a page forward as a turn by key does: a focus that was on the
  // page left behind goes on to the new page's first control.
  void TurnTo(int index);
  // Ctrl+Tab and Ctrl+Shift+Tab pressed anywhere in the window turn to the
  // next and the previous page. True when the key was used.
  [[nodiscard]] bool TurnPageByKey(const MSG& msg);
  // Sizes the pages to the area the tabs leave, after the control was
  // laid out again.
  void FitPages();
  // The area of a page, in the page's own coordinates.
  [[nodiscard]] RECT PageClientRect() const;

  LRESULT OnNotify(const NMHDR& hdr) override;

 private:
  static LRESULT CALLBACK PageProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  std::vector<HWND> pages_;
  int active_ = -1;
};

}  // namespace yx::ui
