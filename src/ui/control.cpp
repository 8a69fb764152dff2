#include "ui/control.h"

#include <commctrl.h>

#include "ui/dpi.h"
#include "win/text.h"

namespace yx::ui {
namespace {
constexpr wchar_t kWrapperProp[] = L"yx.control";
}

void Control::SetFont(HFONT font) const {
  ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}
void Control::SetFocus() const { ::SetFocus(hwnd_); }
void Control::SetEnabled(bool enabled) const { ::EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
bool Control::Enabled() const { return ::IsWindowEnabled(hwnd_) != FALSE; }
void Control::BeginGroup() const {
  ::SetWindowLongPtrW(hwnd_, GWL_STYLE, ::GetWindowLongPtrW(hwnd_, GWL_STYLE) | WS_GROUP);
}

Control* Control::FromHandle(HWND hwnd) noexcept {
  return hwnd ? static_cast<Control*>(::GetPropW(hwnd, kWrapperProp)) : nullptr;
}

void Control::Bind(HWND hwnd) noexcept {
  hwnd_ = hwnd;
  if (hwnd_) ::SetPropW(hwnd_, kWrapperProp, this);
}

void Control::BindAlso(HWND other) noexcept {
  if (other) ::SetPropW(other, kWrapperProp, this);
}

HWND Control::CreateChild(HWND parent, const wchar_t* cls, std::wstring_view text, DWORD style,
                          RECT r, DWORD ex_style) {
  const std::wstring caption(text);
  HWND hwnd =
      CreateScaledChild(ex_style, cls, caption.c_str(), WS_CHILD | WS_VISIBLE | style, r, parent);
  Bind(hwnd);
  return hwnd;
}

bool RouteToControl(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  Control* control = nullptr;
  switch (msg) {
    case WM_COMMAND:
      control = Control::FromHandle(reinterpret_cast<HWND>(lp));
      if (!control) return false;
      control->OnCommand(HIWORD(wp));
      result = 0;
      return true;
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
      control = Control::FromHandle(hdr->hwndFrom);
      if (!control) return false;
      result = control->OnNotify(*hdr);
      return true;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      control = Control::FromHandle(item->hwndItem);
      if (!control || !control->OnDrawItem(*item)) return false;
      result = TRUE;
      return true;
    }
    default:
      return false;
  }
}

LRESULT KeepEnterDlgCode(HWND hwnd, WPARAM wp, LPARAM lp) noexcept {
  const LRESULT code = ::DefSubclassProc(hwnd, WM_GETDLGCODE, wp, lp);
  const auto* key = reinterpret_cast<const MSG*>(lp);
  if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) return code | DLGC_WANTALLKEYS;
  return code;
}

void SetWindowTextCp932(HWND hwnd, std::string_view cp932) {
  ::SetWindowTextW(hwnd, win::ToWide(cp932).c_str());
}

std::wstring WindowTextWide(HWND hwnd) {
  const int n = ::GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  const int got = ::GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<size_t>(got < 0 ? 0 : got));
  return text;
}

}  // namespace yx::ui
