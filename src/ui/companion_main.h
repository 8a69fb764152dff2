#pragma once
// The entry the companion programs share: with arguments, their command
// line runs without a window and its status is the program's; without, the
// window `open` makes runs until it is closed. A fault that reached a window
// procedure ended the loop (ui/window.h): the program then ends with
// kCompanionFaultStatus.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/application.h"
#include "win/program_arguments.h"

namespace yx::ui {

inline constexpr int kCompanionFaultStatus = 5;

// `open` returns the window's owner (a std::unique_ptr), which lives until
// the loop ends; `done` is the status of a window closed in the usual way.
template <typename OpenWindow>
[[nodiscard]] int RunCompanion(
    HINSTANCE instance, std::string_view cp932_title, int done,
    const std::function<int(const std::vector<std::wstring>& args)>& command_line,
    OpenWindow open) {
  const std::vector<std::wstring> args = win::ProgramArguments();
  if (!args.empty()) return command_line(args);
  Application app(instance);
  app.SetTitle(cp932_title);
  const auto window = open(app);
  app.Run();
  return app.Faulted() ? kCompanionFaultStatus : done;
}

}  // namespace yx::ui
