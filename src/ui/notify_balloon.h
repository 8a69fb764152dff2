#pragma once
// A warning balloon from the notification area, for a process that has no
// window anyone looks at: an unattended run ending badly. It shows for a
// fixed time and then goes, whoever is or is not there; a click on it
// (or on its icon) runs the caller's action and ends it at once.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace yx::ui {

// From a worker: shows `cp932_text` under `cp932_title` with the warning
// icon for up to `show_ms`, and returns once it is gone. The icon's window
// lives on the thread of `window` (a window of ui::Window), whose own loop
// shows it and takes the click; this thread only waits for its end, no
// longer than a few seconds past `show_ms`. `on_click` runs there on a
// click and returns what it could not do, which is returned here; a refused
// icon (no shell running) returns nothing, as Shell_NotifyIconW says no more.
[[nodiscard]] std::string ShowWarningBalloon(HWND window, std::string_view cp932_title,
                                             std::string_view cp932_text, DWORD show_ms,
                                             std::function<std::string()> on_click);

}  // namespace yx::ui
