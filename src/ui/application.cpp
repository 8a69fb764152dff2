#include "ui/application.h"

#include <commctrl.h>

#include "win/text.h"

namespace yx::ui {
namespace {
constexpr wchar_t kClassName[] = L"YorudexApplication";
}

Application::Application(HINSTANCE instance) : instance_(instance) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES |
                                                     ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  RegisterClassOnce(instance_, kClassName, nullptr);
  // Zero-sized but visible once the main window is up, so that the taskbar
  // shows one entry under the application title and the forms it owns show
  // none of their own.
  ::CreateWindowExW(0, kClassName, L"",
                    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS, 0, 0, 0,
                    0, nullptr, nullptr, instance_, this);
}

Application::~Application() {
  if (window_) ::DestroyWindow(window_);
}

void Application::ShowTaskbarEntry() {
  ::SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

void Application::SetTitle(std::string_view cp932_title) {
  title_ = std::string(cp932_title);
  if (window_) ::SetWindowTextW(window_, win::ToWide(title_).c_str());
}

bool Application::Dispatch(MSG& msg) {
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return false;
  }
  bool handled = false;
  if (hook_) hook_(msg, handled);
  if (handled) return true;
  // Keys for the main window go through the dialog manager first: Tab and
  // Shift+Tab move between its controls, the arrows within a radio group. It
  // passes on what it does not use, and ignores keys for other windows.
  const bool key = msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST;
  if (key && main_ && ::IsDialogMessageW(main_, &msg)) return true;
  ::TranslateMessage(&msg);
  ::DispatchMessageW(&msg);
  if (WindowFaulted()) terminated_ = true;
  return true;
}

void Application::Run() {
  MSG msg;
  while (!terminated_) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      terminated_ = true;
      break;
    }
    Dispatch(msg);
    if (main_ && !::IsWindow(main_)) terminated_ = true;
  }
}

void Application::Terminate() noexcept {
  terminated_ = true;
  ::PostQuitMessage(0);
}

namespace {
// System commands are multiples of 16 below 0xF000.
constexpr UINT kFirstMenuCommand = 0x1000;
constexpr UINT kMenuCommandStep = 0x10;
}  // namespace

void Application::AddSystemMenuItem(std::string_view cp932_caption, std::function<void()> action) {
  const HMENU menu = ::GetSystemMenu(window_, FALSE);
  if (!menu) return;
  if (menu_actions_.empty()) ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  const UINT id = kFirstMenuCommand + static_cast<UINT>(menu_actions_.size()) * kMenuCommandStep;
  ::AppendMenuW(menu, MF_STRING, id, win::ToWide(cp932_caption).c_str());
  menu_actions_.push_back(std::move(action));
}

void Application::ShowSystemMenu(HWND form) {
  POINT at{0, 0};
  ::ClientToScreen(form, &at);
  const UINT id = static_cast<UINT>(::TrackPopupMenu(::GetSystemMenu(window_, FALSE),
                                                     TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                                                     at.x, at.y, 0, form, nullptr));
  if (id != 0) ::PostMessageW(window_, WM_SYSCOMMAND, id, 0);
}

void Application::Minimize() {
  // The forms are owned by the application window: minimising it hides them
  // and leaves the one taskbar entry, which brings them back.
  ::ShowOwnedPopups(window_, FALSE);
  ::ShowWindow(window_, SW_MINIMIZE);
}

LRESULT Application::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  // Closing the taskbar entry is closing the main window, which decides.
  if (msg == WM_CLOSE && main_) {
    ::SendMessageW(main_, WM_CLOSE, 0, 0);
    return 0;
  }
  if (msg == WM_SYSCOMMAND && (wp & 0xFFF0) >= kFirstMenuCommand &&
      (wp & 0xFFF0) < kFirstMenuCommand + menu_actions_.size() * kMenuCommandStep) {
    menu_actions_[((wp & 0xFFF0) - kFirstMenuCommand) / kMenuCommandStep]();
    return 0;
  }
  if (msg == WM_SIZE && wp == SIZE_RESTORED) ::ShowOwnedPopups(window_, TRUE);
  // Activated from the taskbar: the main window takes over.
  if (msg == WM_ACTIVATE && LOWORD(wp) != WA_INACTIVE && main_ && ::IsWindowVisible(main_) &&
      !::IsIconic(window_)) {
    ::SetActiveWindow(main_);
    return 0;
  }
  return ::DefWindowProcW(window_, msg, wp, lp);
}

}  // namespace yx::ui
