#pragma once
// Registers a window class of the program's own the first time it is needed;
// later calls find it registered and do nothing.
#include <windows.h>

namespace yx::ui {

// `background`: a brush or a COLOR_ value + 1; nullptr when the window paints
// its whole face itself.
inline bool RegisterWindowClassOnce(HINSTANCE instance, const wchar_t* name, WNDPROC proc,
                                    HBRUSH background) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (::GetClassInfoExW(instance, name, &wc)) return true;
  wc = WNDCLASSEXW{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  return ::RegisterClassExW(&wc) != 0;
}

}  // namespace yx::ui
