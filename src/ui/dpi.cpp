#include "ui/dpi.h"

#include <cstdint>

namespace yx::ui {
namespace {

// The design rectangle in two properties of 16-bit halves: a handle holds 32
// bits on either build, and layouts are far smaller than 32,767 units.
constexpr wchar_t kDesignOrigin[] = L"yx.design.origin";
constexpr wchar_t kDesignSize[] = L"yx.design.size";
// On a top window: the DPI it was laid out for last, which its children
// follow from then on (a relayout is also what a test asks for).
constexpr wchar_t kLaidOutDpi[] = L"yx.dpi";

HANDLE Pack(int a, int b) {
  return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(
      (static_cast<UINT>(static_cast<UINT16>(a)) << 16) | static_cast<UINT16>(b)));
}

void Unpack(HANDLE packed, int& a, int& b) {
  const auto bits = static_cast<UINT>(reinterpret_cast<UINT_PTR>(packed));
  a = static_cast<INT16>(bits >> 16);
  b = static_cast<INT16>(bits & 0xFFFF);
}

using DpiForWindow = UINT(WINAPI*)(HWND);

// Windows 10 1607 and later; the program also runs where it is missing.
DpiForWindow DpiForWindowCall() {
  static const auto call = reinterpret_cast<DpiForWindow>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  return call;
}

BOOL CALLBACK PlaceChild(HWND child, LPARAM dpi) {
  const HANDLE origin = ::GetPropW(child, kDesignOrigin);
  if (!origin) return TRUE;
  int left = 0, top = 0, width = 0, height = 0;
  Unpack(origin, left, top);
  Unpack(::GetPropW(child, kDesignSize), width, height);
  const RECT r = ScaledRect(RECT{left, top, left + width, top + height}, static_cast<int>(dpi));
  ::SetWindowPos(child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}

}  // namespace

int SystemDpi() {
  const HDC screen = ::GetDC(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : kDesignDpi;
  if (screen) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDesignDpi;
}

int WindowDpi(HWND window) {
  if (const HWND top = window ? ::GetAncestor(window, GA_ROOT) : nullptr) {
    if (const HANDLE laid_out = ::GetPropW(top, kLaidOutDpi))
      return static_cast<int>(reinterpret_cast<UINT_PTR>(laid_out));
  }
  if (const DpiForWindow call = DpiForWindowCall(); call && window) {
    if (const UINT dpi = call(window)) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

RECT ScaledRect(const RECT& design, int dpi) {
  // Edges, not sizes, are scaled: neighbours that touch at 96 DPI touch at any.
  return RECT{Scaled(design.left, dpi), Scaled(design.top, dpi), Scaled(design.right, dpi),
              Scaled(design.bottom, dpi)};
}

RECT DesignRect(const RECT& pixels, int dpi) {
  // Rounded inwards: scaled again, the area never grows past the pixels.
  const auto in = [dpi](LONG v, bool up) {
    return static_cast<LONG>((static_cast<int64_t>(v) * kDesignDpi + (up ? dpi - 1 : 0)) / dpi);
  };
  return RECT{in(pixels.left, true), in(pixels.top, true), in(pixels.right, false),
              in(pixels.bottom, false)};
}

HWND CreateScaledChild(DWORD ex_style, const wchar_t* cls, const wchar_t* text, DWORD style,
                       const RECT& design, HWND parent, void* param) {
  const RECT r = ScaledRect(design, WindowDpi(parent));
  const HWND child =
      ::CreateWindowExW(ex_style, cls, text, style, r.left, r.top, r.right - r.left,
                        r.bottom - r.top, parent, nullptr, ::GetModuleHandleW(nullptr), param);
  if (child) {
    ::SetPropW(child, kDesignOrigin, Pack(design.left, design.top));
    ::SetPropW(child, kDesignSize, Pack(design.right - design.left, design.bottom - design.top));
  }
  return child;
}

void Relayout(HWND top, int dpi, const RECT& suggested) {
  ::SetPropW(top, kLaidOutDpi, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(dpi)));
  ::SetWindowPos(top, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  // EnumChildWindows visits every descendant, parents before their children.
  ::EnumChildWindows(top, &PlaceChild, dpi);
}

}  // namespace yx::ui
