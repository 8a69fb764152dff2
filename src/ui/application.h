#pragma once
// The process-wide application: the title on the taskbar, the message loop (the
// only one: long work runs on a ui::Worker) and the one message hook that sees
// every queued message before it is dispatched.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/window.h"

namespace yx::ui {

class Application : private Window<Application> {
 public:
  // handled := true keeps the message from being dispatched.
  using MessageHook = std::function<void(MSG& msg, bool& handled)>;

  explicit Application(HINSTANCE instance);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  [[nodiscard]] HINSTANCE Instance() const noexcept { return instance_; }
  // A hidden-looking window that owns the forms and stands for the program on
  // the taskbar; its caption is the application title.
  [[nodiscard]] HWND Handle() const noexcept { return window_; }

  void SetTitle(std::string_view cp932_title);
  [[nodiscard]] const std::string& Title() const noexcept { return title_; }

  void SetMessageHook(MessageHook hook) { hook_ = std::move(hook); }
  void SetMainWindow(HWND main) noexcept { main_ = main; }

  // One message taken from the queue, as the loop handles it: the hook, the
  // dialog keys, the window fault. False for WM_QUIT.
  bool Dispatch(MSG& msg);
  // Runs until Terminate() is called, the main window is destroyed or a
  // window procedure met a fault (ui/window.h).
  void Run();
  void Terminate() noexcept;
  [[nodiscard]] bool Terminated() const noexcept { return terminated_; }
  [[nodiscard]] bool Faulted() const noexcept { return WindowFaulted(); }

  // An item of the taskbar entry's window menu (its right-click menu), after
  // a separator before the first one.
  void AddSystemMenuItem(std::string_view cp932_caption, std::function<void()> action);
  // Opens that menu at the top left of `form`, for the keyboard: Alt+Space
  // on a form without a window menu of its own.
  void ShowSystemMenu(HWND form);

  void Minimize();
  // Shows the zero-sized application window, which is what the taskbar lists.
  void ShowTaskbarEntry();

 private:
  friend class Window<Application>;
  void Attach(HWND hwnd) noexcept { window_ = hwnd; }
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

  HINSTANCE instance_;
  HWND window_ = nullptr;
  HWND main_ = nullptr;
  std::string title_;
  MessageHook hook_;
  std::vector<std::function<void()>> menu_actions_;
  bool terminated_ = false;
};

}  // namespace yx::ui
