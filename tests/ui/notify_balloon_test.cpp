// The warning balloon as an unattended run shows it: asked for from the
// run's thread, shown by the loop of the window's thread in Wine's
// notification area, and waited for by the run alone.
#include "ui/notify_balloon.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include "support/pump.h"
#include "ui/application.h"
#include "ui/worker.h"

namespace yx::ui {
namespace {

constexpr UINT kIconMessage = WM_APP + 1;

class Balloon : public ::testing::Test {
 protected:
  // Shows the balloon from a worker; `shown` holds what the worker got back.
  void ShowFromWorker(DWORD show_ms) {
    ASSERT_TRUE(worker_.Start(
        app_.Handle(),
        [this, show_ms] {
          shown_ = ShowWarningBalloon(app_.Handle(), "Yorudex", "text", show_ms, [this] {
            click_thread_ = ::GetCurrentThreadId();
            return std::string("opened");
          });
        },
        [this] { ended_ = true; }));
  }
  static HWND Owner() { return ::FindWindowW(L"YorudexNotify", nullptr); }

  Application app_{::GetModuleHandleW(nullptr)};
  Worker worker_;
  std::string shown_;
  DWORD click_thread_ = 0;
  bool ended_ = false;
};

TEST_F(Balloon, AClickRunsTheActionOnTheWindowsThreadAndEndsItAtOnce) {
  // Shown far longer than the test's deadline: only the click can end it.
  ShowFromWorker(600'000);
  test::PumpUntil(
      app_, [] { return Owner() != nullptr; }, 30'000);
  ASSERT_NE(Owner(), nullptr) << "no notification area took the icon";
  ::PostMessageW(Owner(), kIconMessage, 0, NIN_BALLOONUSERCLICK);
  test::PumpUntil(
      app_, [this] { return ended_; }, 30'000);
  EXPECT_EQ(shown_, "opened");
  EXPECT_EQ(click_thread_, ::GetCurrentThreadId());
  EXPECT_EQ(Owner(), nullptr) << "the icon's window goes with the balloon";
}

TEST_F(Balloon, ItsTimeEndsItWithoutTheAction) {
  ShowFromWorker(0);
  test::PumpUntil(
      app_, [this] { return ended_; }, 30'000);
  EXPECT_EQ(shown_, "");
  EXPECT_EQ(click_thread_, 0u);
  EXPECT_EQ(Owner(), nullptr);
}

}  // namespace
}  // namespace yx::ui
