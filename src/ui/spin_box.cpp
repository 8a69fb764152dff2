#include "ui/spin_box.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "ui/dpi.h"
#include "ui/window.h"

namespace yx::ui {

void SpinBox::Create(HWND parent, RECT r, HFONT font, int min, int max, int value) {
  min_ = min;
  max_ = max;
  value_ = std::clamp(value, min, max);
  constexpr int kArrowWidth = 16;
  CreateChild(parent, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP,
              RECT{r.left, r.top, r.right - kArrowWidth, r.bottom}, WS_EX_CLIENTEDGE);
  SetFont(font);
  ::SetWindowSubclass(hwnd_, &SpinBox::EditProc, 1, reinterpret_cast<DWORD_PTR>(this));
  updown_ = CreateScaledChild(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE | UDS_NOTHOUSANDS,
                              RECT{r.right - kArrowWidth, r.top, r.right, r.bottom}, parent);
  // The arrows only report their clicks; the value is ours. A range of 0..100
  // makes the upper arrow a positive step.
  ::SendMessageW(updown_, UDM_SETRANGE32, 0, 100);
  ::SendMessageW(updown_, UDM_SETPOS32, 0, 50);
  BindAlso(updown_);
  ShowValue();
}

void SpinBox::ShowValue() const { ::SetWindowTextW(hwnd_, std::to_wstring(value_).c_str()); }

void SpinBox::SetValue(int value) {
  value = std::clamp(value, min_, max_);
  if (value == value_) return;
  value_ = value;
  ShowValue();
  if (on_change) on_change();
}

LRESULT SpinBox::OnNotify(const NMHDR& hdr) {
  if (hdr.code != UDN_DELTAPOS) return 0;
  const auto& delta = reinterpret_cast<const NMUPDOWN&>(hdr);
  if (delta.iDelta != 0) SetValue(value_ + (delta.iDelta > 0 ? 1 : -1));
  return 1;  // keep the arrow control's own position where it is
}

LRESULT CALLBACK SpinBox::EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                   DWORD_PTR ref) noexcept {
  auto* self = reinterpret_cast<SpinBox*>(ref);
  switch (msg) {
    case WM_CHAR:
      if (wp == VK_TAB || wp == VK_RETURN || wp == VK_ESCAPE) break;
      return 0;
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
    case WM_IME_CHAR:
    case WM_IME_COMPOSITION:
      return 0;
    case WM_KEYDOWN:
      if (wp == VK_UP || wp == VK_DOWN) {
        return Guarded([&] {
          self->SetValue(self->value_ + (wp == VK_UP ? 1 : -1));
          return LRESULT{0};
        });
      }
      if (wp == VK_DELETE || wp == VK_BACK) return 0;
      break;
    case WM_GETDLGCODE:
      return KeepEnterDlgCode(hwnd, wp, lp);
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(hwnd, &SpinBox::EditProc, 1);
      break;
    default:
      break;
  }
  return ::DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace yx::ui
