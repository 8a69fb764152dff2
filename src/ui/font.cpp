#include "ui/font.h"

namespace yx::ui {

win::UniqueGdiObject MakeFont(const wchar_t* face, int pixels, bool bold) {
  return win::UniqueGdiObject(::CreateFontW(
      -pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
}

}  // namespace yx::ui
