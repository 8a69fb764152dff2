#include "ui/font.h"

#include "ui/dpi.h"

namespace yx::ui {
namespace {

struct FontSwap {
  HFONT from, to;
};

BOOL CALLBACK SwapFont(HWND child, LPARAM lp) {
  const auto* swap = reinterpret_cast<const FontSwap*>(lp);
  if (reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0)) == swap->from)
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(swap->to), TRUE);
  return TRUE;
}

}  // namespace

win::UniqueGdiObject MakeFont(const wchar_t* face, int pixels, bool bold, int dpi) {
  return win::UniqueGdiObject(::CreateFontW(
      -Scaled(pixels, dpi > 0 ? dpi : SystemDpi()), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE,
      FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
      DEFAULT_PITCH | FF_DONTCARE, face));
}

void RemakeFont(HWND top, win::UniqueGdiObject& font, const wchar_t* face, int pixels, bool bold,
                int dpi) {
  win::UniqueGdiObject made = MakeFont(face, pixels, bold, dpi);
  if (!font || !top) {
    font = std::move(made);
    return;
  }
  FontSwap swap{AsFont(font), AsFont(made)};
  ::EnumChildWindows(top, &SwapFont, reinterpret_cast<LPARAM>(&swap));
  font = std::move(made);
}

}  // namespace yx::ui
