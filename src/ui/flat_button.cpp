#include "ui/flat_button.h"

#include "ui/dpi.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace yx::ui {
namespace {

// Draws a 14 x 14 picture with its top-left corner at (x, y).
void DrawGlyph(HDC dc, Glyph glyph, int x, int y, bool enabled) {
  const COLORREF ink = enabled ? RGB(0, 0, 0) : RGB(160, 160, 160);
  auto color = [&](COLORREF c) { return enabled ? c : RGB(176, 176, 176); };
  win::UniqueGdiObject pen(::CreatePen(PS_SOLID, 1, ink));
  HGDIOBJ old_pen = ::SelectObject(dc, pen.get());
  auto fill = [&](RECT r, COLORREF c) {
    win::UniqueGdiObject brush(::CreateSolidBrush(color(c)));
    ::FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
  };
  auto box = [&](int l, int t, int r, int b, COLORREF c) {
    win::UniqueGdiObject brush(::CreateSolidBrush(color(c)));
    HGDIOBJ old = ::SelectObject(dc, brush.get());
    ::Rectangle(dc, x + l, y + t, x + r, y + b);
    ::SelectObject(dc, old);
  };
  switch (glyph) {
    case Glyph::Save:  // a floppy disk
      box(0, 0, 14, 14, RGB(40, 80, 200));
      fill(RECT{x + 3, y + 1, x + 11, y + 6}, RGB(255, 255, 255));
      fill(RECT{x + 4, y + 9, x + 10, y + 13}, RGB(200, 200, 200));
      break;
    case Glyph::Help: {  // a question mark in a circle
      win::UniqueGdiObject brush(::CreateSolidBrush(color(RGB(255, 220, 60))));
      HGDIOBJ old = ::SelectObject(dc, brush.get());
      ::Ellipse(dc, x, y, x + 14, y + 14);
      ::SelectObject(dc, old);
      ::SetBkMode(dc, TRANSPARENT);
      ::SetTextColor(dc, ink);
      RECT r{x, y, x + 14, y + 14};
      ::DrawTextW(dc, L"?", 1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      break;
    }
    case Glyph::Exit:  // an open door
      box(1, 0, 11, 14, RGB(150, 90, 40));
      fill(RECT{x + 8, y + 6, x + 10, y + 8}, RGB(255, 230, 0));
      break;
    case Glyph::Run: {  // a green arrow head
      win::UniqueGdiObject brush(::CreateSolidBrush(color(RGB(30, 160, 60))));
      HGDIOBJ old = ::SelectObject(dc, brush.get());
      const POINT tri[3] = {{x + 2, y}, {x + 13, y + 7}, {x + 2, y + 14}};
      ::Polygon(dc, tri, 3);
      ::SelectObject(dc, old);
      break;
    }
    case Glyph::Version:  // an "i" in a blue square
      box(0, 0, 14, 14, RGB(60, 120, 220));
      fill(RECT{x + 6, y + 2, x + 8, y + 4}, RGB(255, 255, 255));
      fill(RECT{x + 6, y + 5, x + 8, y + 12}, RGB(255, 255, 255));
      break;
    case Glyph::Minimize:  // a window with its bar at the bottom
      box(0, 1, 14, 13, RGB(255, 255, 255));
      fill(RECT{x + 2, y + 9, x + 12, y + 11}, RGB(40, 80, 200));
      break;
  }
  ::SelectObject(dc, old_pen);
}

}  // namespace

void FlatButton::Create(HWND parent, std::string_view cp932_caption, RECT bounds, HFONT font,
                        Glyph glyph) {
  caption_ = win::ToWide(cp932_caption);
  glyph_ = glyph;
  // A tab stop like any button: Tab leaves a page for the strip and back.
  CreateChild(parent, L"BUTTON", caption_, BS_OWNERDRAW | WS_TABSTOP, bounds);
  SetFont(font);
}

void FlatButton::OnCommand(WORD code) {
  if (code == BN_CLICKED && on_click) on_click();
}

bool FlatButton::OnDrawItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool enabled = !(item.itemState & ODS_DISABLED);
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
  // Flat: a frame only while pressed.
  if (pressed) ::DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
  // The picture is drawn in design units and the device scales it, so it
  // stays as sharp and as large beside its caption at any DPI.
  const int dpi = WindowDpi(item.hwndItem);
  const int offset = pressed ? Scaled(1, dpi) : 0;
  const int old_mode = ::SetGraphicsMode(dc, GM_ADVANCED);
  const float scale = static_cast<float>(dpi) / kDesignDpi;
  const XFORM zoom{scale,
                   0,
                   0,
                   scale,
                   static_cast<float>(r.left + Scaled(3, dpi) + offset),
                   static_cast<float>(r.top + Scaled(4, dpi) + offset)};
  ::SetWorldTransform(dc, &zoom);
  DrawGlyph(dc, glyph_, 0, 0, enabled);
  ::ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
  ::SetGraphicsMode(dc, old_mode);
  const HFONT font = reinterpret_cast<HFONT>(::SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
  HGDIOBJ old_font = ::SelectObject(dc, font);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  RECT text{r.left + Scaled(19, dpi) + offset, r.top + offset, r.right, r.bottom + offset};
  ::DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &text,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  ::SelectObject(dc, old_font);
  if (item.itemState & ODS_FOCUS) {
    RECT focus = r;
    ::InflateRect(&focus, -2, -2);
    ::DrawFocusRect(dc, &focus);
  }
  return true;
}

}  // namespace yx::ui
