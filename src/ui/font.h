#pragma once
#include <windows.h>

#include "win/unique_handle.h"

namespace yx::ui {

inline constexpr wchar_t kFacePGothic[] = L"ＭＳ Ｐゴシック";
inline constexpr wchar_t kFaceGothic[] = L"ＭＳ ゴシック";

// A Shift-JIS font `pixels` high (character height, as the window designer
// gives it).
[[nodiscard]] win::UniqueGdiObject MakeFont(const wchar_t* face, int pixels, bool bold = false);

[[nodiscard]] inline HFONT AsFont(const win::UniqueGdiObject& font) {
  return static_cast<HFONT>(font.get());
}

}  // namespace yx::ui
