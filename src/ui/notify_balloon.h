#pragma once
// A warning balloon from the notification area, for a process that has no
// window anyone looks at: an unattended run ending badly. It shows for a
// fixed time and then goes, whoever is or is not there; a click on it
// (or on its icon) is handed to the caller and ends it at once.
#include <windows.h>

#include <functional>
#include <string_view>

namespace yx::ui {

// Shows `cp932_text` under `cp932_title` with the warning icon for up to
// `show_ms`, letting this thread's messages through meanwhile. False when the
// notification area refused the icon (no shell running); GetLastError is
// not meaningful then, Shell_NotifyIconW does not set it.
[[nodiscard]] bool ShowWarningBalloon(HINSTANCE instance, std::string_view cp932_title,
                                      std::string_view cp932_text, DWORD show_ms,
                                      const std::function<void()>& on_click);

}  // namespace yx::ui
