// The bar gauge: the value rules the copier relies on, and what the window
// really paints under Xvfb.
#include "ui/gauge.h"

#include <gtest/gtest.h>

#include <limits>

namespace yx::ui {
namespace {

TEST(GaugeModel, ProgressIsClampedIntoTheRange) {
  GaugeModel g;
  g.SetProgress(150);
  EXPECT_EQ(g.Progress(), 100);
  g.SetProgress(-5);
  EXPECT_EQ(g.Progress(), 0);
  g.SetMinValue(10);
  EXPECT_EQ(g.Progress(), 10);
}

TEST(GaugeModel, AMaximumBelowProgressLowersProgressAndZeroIsAccepted) {
  GaugeModel g;
  g.SetProgress(60);
  g.SetMaxValue(40);
  EXPECT_EQ(g.MaxValue(), 40);
  EXPECT_EQ(g.Progress(), 40);
  g.SetMaxValue(0);
  EXPECT_EQ(g.MaxValue(), 0);
  EXPECT_EQ(g.MinValue(), 0);
  EXPECT_EQ(g.Progress(), 0);
  EXPECT_EQ(g.Percent(), 0);
  // More files copied than counted stay at the maximum.
  g.SetMaxValue(3);
  g.SetProgress(5);
  EXPECT_EQ(g.Percent(), 100);
}

TEST(GaugeModel, TheRangeNeverTurnsOver) {
  GaugeModel g;
  g.SetMinValue(50);
  g.SetMaxValue(20);
  EXPECT_EQ(g.MinValue(), 50);
  EXPECT_EQ(g.MaxValue(), 50);
  g.SetMinValue(80);
  EXPECT_EQ(g.MaxValue(), 80);
  EXPECT_EQ(g.Percent(), 0);
}

TEST(GaugeModel, PercentIsTruncatedAndCountsFromTheMinimum) {
  GaugeModel g;
  g.SetMaxValue(3);
  g.SetProgress(2);
  EXPECT_EQ(g.Percent(), 66);
  g.SetMaxValue(27);
  g.SetProgress(10);
  EXPECT_EQ(g.Percent(), 37);
  g.SetMinValue(10);
  g.SetMaxValue(20);
  g.SetProgress(15);
  EXPECT_EQ(g.Percent(), 50);
  // A count this large times 100 is past 32 bits.
  g.SetMinValue(0);
  g.SetMaxValue(std::numeric_limits<int32_t>::max());
  g.SetProgress(std::numeric_limits<int32_t>::max() / 2);
  EXPECT_EQ(g.Percent(), 49);
}

// A visible top-level window holding one gauge, painted and read back from
// the screen.
class GaugeWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = ::CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 100, 260,
                                60, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
    gauge_.Create(parent_, RECT{10, 10, 210, 40}, nullptr);
    ASSERT_NE(gauge_.Handle(), nullptr);
  }
  void TearDown() override { ::DestroyWindow(parent_); }

  // Paints what is pending and reads one pixel of the gauge's client area.
  COLORREF PixelAt(int x, int y) {
    ::UpdateWindow(parent_);
    ::UpdateWindow(gauge_.Handle());
    const HDC dc = ::GetDC(gauge_.Handle());
    const COLORREF c = ::GetPixel(dc, x, y);
    ::ReleaseDC(gauge_.Handle(), dc);
    return c;
  }

  HWND parent_ = nullptr;
  Gauge gauge_;
};

TEST_F(GaugeWindow, PaintsABlueBarOnWhiteInsideASingleBorder) {
  EXPECT_NE(::GetWindowLongPtrW(gauge_.Handle(), GWL_STYLE) & WS_BORDER, 0);
  RECT client;
  ::GetClientRect(gauge_.Handle(), &client);
  EXPECT_EQ(client.right, 198);  // 200 less a one-pixel border on each side
  gauge_.SetProgress(25);
  // The bar covers the left quarter, the text sits in the middle.
  EXPECT_EQ(PixelAt(2, 2), RGB(0, 0, 255));
  EXPECT_EQ(PixelAt(47, 26), RGB(0, 0, 255));
  EXPECT_EQ(PixelAt(51, 2), RGB(255, 255, 255));
  EXPECT_EQ(PixelAt(196, 26), RGB(255, 255, 255));
  gauge_.SetProgress(100);
  EXPECT_EQ(PixelAt(196, 26), RGB(0, 0, 255));
  gauge_.SetMaxValue(0);
  EXPECT_EQ(PixelAt(2, 2), RGB(255, 255, 255));
}

TEST_F(GaugeWindow, OnlyAChangeOnScreenAsksForARepaint) {
  ::UpdateWindow(gauge_.Handle());
  gauge_.SetMaxValue(1000);
  gauge_.SetProgress(1);  // 0%, and less than a pixel of bar
  EXPECT_FALSE(::GetUpdateRect(gauge_.Handle(), nullptr, FALSE));
  gauge_.SetProgress(10);  // 1%
  EXPECT_TRUE(::GetUpdateRect(gauge_.Handle(), nullptr, FALSE));
}

}  // namespace
}  // namespace yx::ui
