#pragma once
// Every layout of the program is drawn up for a 96-DPI screen: a position
// or size in its code is a design unit, made pixels for the DPI of the
// screen the window is on. The programs declare themselves aware of each
// screen's DPI (their manifests), so Windows stretches nothing: what is not
// scaled here stays small, and what is stays sharp. A child keeps its design
// rectangle, so a move to a screen of another scale lays it out again from
// the design, never from pixels rounded once already.
#include <windows.h>

namespace yx::ui {

inline constexpr int kDesignDpi = 96;

// The DPI of the screen `window` is on (the system's where Windows cannot
// tell one screen from another).
[[nodiscard]] int WindowDpi(HWND window);
// The DPI new windows start at: the system's, the primary screen's.
[[nodiscard]] int SystemDpi();

[[nodiscard]] inline int Scaled(int design, int dpi) { return ::MulDiv(design, dpi, kDesignDpi); }
[[nodiscard]] RECT ScaledRect(const RECT& design, int dpi);
// Pixels back to design units: for areas a control reports in pixels.
[[nodiscard]] RECT DesignRect(const RECT& pixels, int dpi);

// Creates a child at `design` made pixels for its parent's DPI, and keeps
// `design` for a later relayout.
[[nodiscard]] HWND CreateScaledChild(DWORD ex_style, const wchar_t* cls, const wchar_t* text,
                                     DWORD style, const RECT& design, HWND parent,
                                     void* param = nullptr);

// Places every child window of `top` that kept a design rectangle for `dpi`,
// after the top window itself went to `suggested` (WM_DPICHANGED's).
void Relayout(HWND top, int dpi, const RECT& suggested);

}  // namespace yx::ui
