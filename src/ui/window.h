#pragma once
// The one window procedure of every window class the program registers, and
// the one barrier that keeps C++ exceptions out of user32.
//
// A window is bound to its object at WM_NCCREATE, the first message that
// carries the object (the last argument of CreateWindowExW); the few messages
// that come before it (WM_GETMINMAXINFO) go to the system's default. From then
// on every message goes to the object's HandleMessage, until WM_NCDESTROY
// unbinds it, except what every window answers alike: a control's own
// notifications go to its wrapper, and Tab moves the focus between controls.
//
// An exception unwinding through user32 is undefined: under Wine it ends the
// process at a place nobody chose. One that reaches a window procedure is a
// fault its handler could not act on (the handlers catch what they can
// report, such as a file that cannot be written), so the barrier keeps it as
// the thread's window fault, answers the message with 0, and the message loop
// (Application) ends at its next message: the program stops with an error
// status instead of running on half-done.
#include <windows.h>

#include <exception>
#include <functional>

#include "ui/control.h"
#include "ui/dpi.h"
#include "ui/window_class.h"

namespace yx::ui {

// Keeps the first fault of this thread; later ones add nothing to know.
void KeepWindowFault(std::exception_ptr fault) noexcept;
[[nodiscard]] bool WindowFaulted() noexcept;
// The kept fault, cleared; nullptr when there is none.
[[nodiscard]] std::exception_ptr TakeWindowFault() noexcept;

// Runs a message handler behind the barrier. For the procedures that have no
// object to bind (subclassed system controls, the pages of a tab control).
template <typename Handler>
LRESULT Guarded(Handler&& handler) noexcept {
  try {
    return handler();
  } catch (...) {
    KeepWindowFault(std::current_exception());
    return 0;
  }
}

// Runs `call` on the thread of `window` (a window of ui::Window) and waits for
// it; what it throws is thrown here. From another thread it runs between two
// of the window's messages, inside the window's own loop; on that thread it
// runs at once. Nothing runs when the window is gone. Only for what needs the
// window's answer (a box, a question): the window's thread never waits for a
// worker while its loop runs, and one whose loop ended destroys its windows
// before it waits (ui/worker.h), so the call always returns.
void CallOnWindowThread(HWND window, const std::function<void()>& call);
// Queues `call` for the thread of `window` and returns at once; what it
// throws is the window's fault. Calls from one thread run in their order.
void PostToWindowThread(HWND window, std::function<void()> call);
// On the thread of `window` runs `call` at once, from any other queues it
// (PostToWindowThread): what a window shows of work that may go on either.
void ShowOnWindowThread(HWND window, std::function<void()> call);
// How ui::Window's procedure answers the two: the calls' own messages.
[[nodiscard]] bool IsWindowThreadCall(UINT msg) noexcept;
LRESULT RunWindowThreadCall(UINT msg, WPARAM wp) noexcept;

// Base of every window class of the program. T provides
//   LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
//   void Attach(HWND hwnd) noexcept;  // the window, or nullptr once it is gone
// (private, with `friend class ui::Window<T>;`) and creates its window with
// `this` as the creation parameter.
template <typename T>
class Window {
 protected:
  Window() = default;
  ~Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  static bool RegisterClassOnce(HINSTANCE instance, const wchar_t* name, HBRUSH background) {
    return RegisterWindowClassOnce(instance, name, &Procedure, background);
  }

  // Creates `self`'s window with a client area of the given size (design
  // units, ui/dpi.h), centred on the screen and owned by `owner`.
  static void CreateCentred(T* self, HINSTANCE instance, HWND owner, const wchar_t* class_name,
                            const wchar_t* title, DWORD style, DWORD ex_style, int client_width,
                            int client_height) {
    const int dpi = SystemDpi();
    RECT frame{0, 0, Scaled(client_width, dpi), Scaled(client_height, dpi)};
    ::AdjustWindowRectEx(&frame, style, FALSE, ex_style);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    ::CreateWindowExW(ex_style, class_name, title, style,
                      (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                      (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, owner, nullptr,
                      instance, self);
  }

  // Destroys `hwnd` without its object seeing the messages of destruction:
  // for an owner that goes away with its window and must not act on them.
  static void DestroyUnbound(HWND hwnd) noexcept {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd);
  }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    T* self = reinterpret_cast<T*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
      self = static_cast<T*>(reinterpret_cast<const CREATESTRUCTW*>(lp)->lpCreateParams);
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      if (self) self->Attach(hwnd);
    }
    if (!self) return ::DefWindowProcW(hwnd, msg, wp, lp);
    if (IsWindowThreadCall(msg)) return RunWindowThreadCall(msg, wp);
    if (msg == WM_NCDESTROY) {
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      self->Attach(nullptr);
      return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    return Guarded([&] {
      LRESULT routed = 0;
      if (RouteToControl(msg, wp, lp, routed)) return routed;
      // The dialog manager asks for the next control here on Tab. On an
      // arrow key it names the next of the group: the focus then stays, since
      // the arrows move only between radio buttons, which it does itself,
      // and a group's next control may be a label or the next check box.
      if (msg == WM_NEXTDLGCTL) {
        if (!lp) {
          if (HWND next = ::GetNextDlgTabItem(hwnd, ::GetFocus(), wp != 0)) ::SetFocus(next);
        }
        return LRESULT{0};
      }
      return self->HandleMessage(msg, wp, lp);
    });
  }
};

}  // namespace yx::ui
