#include "ui/font.h"

#include "ui/dpi.h"

namespace yx::ui {

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
  struct Swap {
    HFONT from, to;
  } swap{AsFont(font), AsFont(made)};
  ::EnumChildWindows(
      top,
      [](HWND child, LPARAM lp) -> BOOL {
        const auto* s = reinterpret_cast<const Swap*>(lp);
        if (reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0)) == s->from)
          ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(s->to), TRUE);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&swap));
  font = std::move(made);
}

}  // namespace yx::ui
