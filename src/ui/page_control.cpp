#include "ui/page_control.h"

#include <commctrl.h>

#include "ui/window.h"
#include "win/text.h"

namespace yx::ui {
namespace {
constexpr wchar_t kPageClass[] = L"YorudexPage";
}

void PageControl::Create(HWND parent, RECT bounds, HFONT font,
                         const std::vector<std::string>& cp932_tabs) {
  RegisterWindowClassOnce(::GetModuleHandleW(nullptr), kPageClass, &PageControl::PageProc,
                          reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  // The pages are the tab control's children: as a control parent it lets the
  // dialog manager's Tab walk into the page that shows (Ctrl+Tab turns pages).
  CreateChild(parent, WC_TABCONTROLW, L"", WS_CLIPCHILDREN | WS_CLIPSIBLINGS, bounds,
              WS_EX_CONTROLPARENT);
  SetFont(font);
  for (size_t i = 0; i < cp932_tabs.size(); ++i) {
    std::wstring text = win::ToWide(cp932_tabs[i]);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    TabCtrl_InsertItem(hwnd_, static_cast<int>(i), &item);
  }
  const RECT area = PageClientRect();
  for (size_t i = 0; i < cp932_tabs.size(); ++i) {
    HWND page =
        ::CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, L"", WS_CHILD | WS_CLIPSIBLINGS,
                          area.left, area.top, area.right - area.left, area.bottom - area.top,
                          hwnd_, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    pages_.push_back(page);
  }
}

RECT PageControl::PageClientRect() const {
  RECT r;
  ::GetClientRect(hwnd_, &r);
  TabCtrl_AdjustRect(hwnd_, FALSE, &r);
  return r;
}

void PageControl::SetActivePage(int index) {
  if (index == active_) return;
  active_ = index;
  TabCtrl_SetCurSel(hwnd_, index);
  for (size_t i = 0; i < pages_.size(); ++i)
    ::ShowWindow(pages_[i], static_cast<int>(i) == index ? SW_SHOW : SW_HIDE);
}

bool PageControl::TurnPageByKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || ::GetKeyState(VK_CONTROL) >= 0)
    return false;
  const HWND root = ::GetAncestor(hwnd_, GA_ROOT);
  if (msg.hwnd != root && !::IsChild(root, msg.hwnd)) return false;
  const int count = static_cast<int>(pages_.size());
  if (active_ < 0 || count == 0) return false;
  // Held off (during a run), the pages stay as they are, as for a click.
  if (!::IsWindowEnabled(hwnd_)) return true;
  const int step = ::GetKeyState(VK_SHIFT) < 0 ? count - 1 : 1;
  TurnTo((active_ + step) % count);
  return true;
}

void PageControl::TurnTo(int index) {
  // Hiding the page moves the focus off its control; it goes on to the new
  // page's first control, as if the user had tabbed into it.
  const bool focus_on_page = active_ >= 0 && ::IsChild(Page(active_), ::GetFocus());
  SetActivePage(index);
  if (focus_on_page) {
    if (HWND first = ::GetNextDlgTabItem(Page(index), nullptr, FALSE)) ::SetFocus(first);
  }
}

void PageControl::FitPages() {
  const RECT area = PageClientRect();
  for (const HWND page : pages_)
    ::SetWindowPos(page, nullptr, area.left, area.top, area.right - area.left,
                   area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT PageControl::OnNotify(const NMHDR& hdr) {
  if (hdr.code == TCN_SELCHANGE) {
    const int chosen = TabCtrl_GetCurSel(hwnd_);
    active_ = -1;
    SetActivePage(chosen);
  }
  return 0;
}

LRESULT CALLBACK PageControl::PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  // A page has no object of its own: it only hands its controls' messages on.
  LRESULT result = 0;
  bool routed = true;  // a fault the barrier took counts as handled
  Guarded([&] {
    routed = RouteToControl(msg, wp, lp, result);
    return LRESULT{0};
  });
  if (routed) return result;
  // A multi-line text field that has seen the dialog manager posts WM_CLOSE to
  // its parent on Escape; a page is never closed.
  if (msg == WM_CLOSE) return 0;
  if (msg == WM_CTLCOLORSTATIC) {
    wchar_t cls[16] = {};
    ::GetClassNameW(reinterpret_cast<HWND>(lp), cls, 16);
    if (::lstrcmpiW(cls, L"EDIT") == 0) {
      // A read-only text view stays white, like the page's other text fields.
      ::SetBkColor(reinterpret_cast<HDC>(wp), ::GetSysColor(COLOR_WINDOW));
      return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
    }
    // Labels and check boxes take the page's face colour, not white.
    ::SetBkColor(reinterpret_cast<HDC>(wp), ::GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace yx::ui
