#pragma once
#include <windows.h>

#include "win/unique_handle.h"

namespace yx::ui {

inline constexpr wchar_t kFacePGothic[] = L"ＭＳ Ｐゴシック";
inline constexpr wchar_t kFaceGothic[] = L"ＭＳ ゴシック";

// A Shift-JIS font `pixels` high at 96 DPI (character height, as the window
// designer gives it), made for `dpi`: by default the DPI new windows start at.
[[nodiscard]] win::UniqueGdiObject MakeFont(const wchar_t* face, int pixels, bool bold = false,
                                            int dpi = 0);

// Makes `font` again for `dpi`, handing the new one to every child of `top`
// that showed the old one before the old one goes.
void RemakeFont(HWND top, win::UniqueGdiObject& font, const wchar_t* face, int pixels, bool bold,
                int dpi);

[[nodiscard]] inline HFONT AsFont(const win::UniqueGdiObject& font) {
  return static_cast<HFONT>(font.get());
}

}  // namespace yx::ui
