#include "ui/tool_tips.h"

#include <commctrl.h>

#include "win/text.h"

namespace yx::ui {
namespace {

TTTOOLINFOW ToolInfo(HWND tool) {
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = ::GetParent(tool);
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  return info;
}

}  // namespace

void ToolTips::Create(HWND owner) {
  hwnd_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                            ::GetModuleHandleW(nullptr), nullptr);
}

void ToolTips::Add(const Control& tool, std::string_view cp932_text) {
  std::wstring text = win::ToWide(cp932_text);
  TTTOOLINFOW info = ToolInfo(tool.Handle());
  info.lpszText = text.data();
  ::SendMessageW(hwnd_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

std::wstring ToolTips::TextOf(const Control& tool) const {
  wchar_t text[128] = {};
  TTTOOLINFOW info = ToolInfo(tool.Handle());
  info.lpszText = text;
  ::SendMessageW(hwnd_, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&info));
  return text;
}

}  // namespace yx::ui
