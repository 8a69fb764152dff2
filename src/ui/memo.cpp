#include "ui/memo.h"

#include "win/text.h"

namespace yx::ui {

void Memo::Create(HWND parent, RECT bounds, HFONT font) {
  CreateChild(parent, L"EDIT", L"",
              ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, bounds,
              WS_EX_CLIENTEDGE);
  SetFont(font);
  ::SendMessageW(hwnd_, EM_SETLIMITTEXT, 0, 0);
}

void Memo::ShowText(std::string_view cp932) {
  std::wstring wide = win::ToWide(cp932);
  if (wide.size() > kMaxShownChars) wide.erase(0, wide.size() - kMaxShownChars);
  ::SetWindowTextW(hwnd_, wide.c_str());
  ::SendMessageW(hwnd_, EM_SETSEL, 0, 0);
  ::SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
}

void Memo::AppendText(std::string_view cp932) {
  const std::wstring wide = win::ToWide(cp932);
  const LRESULT shown = ::GetWindowTextLengthW(hwnd_);
  if (static_cast<size_t>(shown) + wide.size() > kMaxShownChars) {
    // Drop the oldest half of what is shown rather than refuse the new line.
    ::SendMessageW(hwnd_, EM_SETSEL, 0, shown / 2);
    ::SendMessageW(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
  }
  const LRESULT end = ::GetWindowTextLengthW(hwnd_);
  ::SendMessageW(hwnd_, EM_SETSEL, end, end);
  ::SendMessageW(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
  ::SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
}

void Memo::ScrollToLastLine(std::wstring_view line_start) {
  const std::wstring text = ShownText();
  size_t at = text.rfind(L"\n" + std::wstring(line_start));
  if (at != std::wstring::npos)
    ++at;
  else if (text.starts_with(line_start))
    at = 0;
  else
    return;
  const auto line = ::SendMessageW(hwnd_, EM_LINEFROMCHAR, at, 0);
  const auto first = ::SendMessageW(hwnd_, EM_GETFIRSTVISIBLELINE, 0, 0);
  ::SendMessageW(hwnd_, EM_LINESCROLL, 0, line - first);
}

}  // namespace yx::ui
