// The window base: a window is bound to its object from its creation on, and
// an exception a handler throws stops at the window procedure, where it ends
// the message loop instead of unwinding through user32.
#include "ui/window.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/pump.h"
#include "ui/application.h"

namespace yx::ui {
namespace {

constexpr UINT kThrow = WM_APP + 1;
constexpr wchar_t kClassName[] = L"YorudexWindowProbe";

class Probe : private Window<Probe> {
 public:
  Probe() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    RegisterClassOnce(instance, kClassName, nullptr);
    ::CreateWindowExW(0, kClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance, this);
  }
  ~Probe() {
    if (hwnd_) ::DestroyWindow(hwnd_);
  }
  [[nodiscard]] HWND Handle() const noexcept { return hwnd_; }
  [[nodiscard]] bool SawCreate() const noexcept { return saw_create_; }

 private:
  friend class Window<Probe>;
  void Attach(HWND hwnd) noexcept { hwnd_ = hwnd; }
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CREATE) saw_create_ = true;
    if (msg == kThrow) throw std::runtime_error("probe fault");
    return ::DefWindowProcW(hwnd_, msg, wp, lp);
  }

  HWND hwnd_ = nullptr;
  bool saw_create_ = false;
};

TEST(Window, IsBoundFromItsCreationUntilItIsDestroyed) {
  Probe probe;
  ASSERT_NE(probe.Handle(), nullptr);
  EXPECT_TRUE(probe.SawCreate());
  ::DestroyWindow(probe.Handle());
  EXPECT_EQ(probe.Handle(), nullptr);
}

TEST(Window, AFaultInAHandlerIsKeptAndEndsTheMessageLoop) {
  Application app(::GetModuleHandleW(nullptr));
  Probe probe;
  EXPECT_EQ(::SendMessageW(probe.Handle(), kThrow, 0, 0), 0);
  const std::exception_ptr fault = TakeWindowFault();
  ASSERT_TRUE(fault);
  try {
    std::rethrow_exception(fault);
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "probe fault");
  }

  ::PostMessageW(probe.Handle(), kThrow, 0, 0);
  test::Pump(app);
  EXPECT_TRUE(app.Terminated());
  EXPECT_TRUE(app.Faulted());
  static_cast<void>(TakeWindowFault());
}

}  // namespace
}  // namespace yx::ui
