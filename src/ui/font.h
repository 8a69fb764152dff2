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

// Hands every child of `top` that shows `old_font` the `replacement`: after
// the fonts were made again for another DPI.
void ReplaceFont(HWND top, HFONT old_font, HFONT replacement);

[[nodiscard]] inline HFONT AsFont(const win::UniqueGdiObject& font) {
  return static_cast<HFONT>(font.get());
}

}  // namespace yx::ui
