// The progress window as a user and the run see it: a real window under
// Xvfb, its controls, its clock and title, and the abort button clicked the
// way a user clicks it.
#include <gtest/gtest.h>

#include <memory>

#include "app/progress_form.h"
#include "backup/tree_copier.h"
#include "support/pump.h"
#include "support/temp_folder.h"
#include "ui/control.h"
#include "win/clock.h"
#include "win/text.h"

namespace yx::app {
namespace {

// The progress window on a real application.
class ProgressForm : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = std::make_unique<ui::Application>(::GetModuleHandleW(nullptr));
    form_ = std::make_unique<TForm3>(*app_);
    ASSERT_NE(form_->Handle(), nullptr);
  }
  void TearDown() override {
    form_.reset();
    app_.reset();
  }
  // As the run does it: show the window, then let it paint once.
  void Start(bool title_progress = false) {
    form_->StartProgress(title_progress);
    test::Pump(*app_);
  }
  // The copy run's count of the tree below `folder`, written to the window's
  // state (through `sink`, by default the window's own).
  [[nodiscard]] bool Count(const std::wstring& folder, backup::ProgressSink* sink = nullptr) {
    backup::TreeCopier copier(sink ? *sink : form_->Sink(), [] { return uint64_t{0}; });
    if (!copier.CountFiles(folder)) return false;
    copier.ShowTotal();
    return true;
  }
  // A run's counts as it writes them, shown at the window's next tick.
  void Shows(int32_t total, int32_t done = 0) {
    form_->Sink().ShowTotal(total);
    form_->Sink().ShowCopied(done);
    form_->TimerTimer();
  }
  void MakeFiles(const std::wstring& folder, int count) {
    for (int i = 0; i < count; ++i)
      temp_.WriteFile(folder + L"\\" + std::to_wstring(i) + L".txt", "x");
  }
  static std::wstring Text(HWND window) { return ui::WindowTextWide(window); }

  test::TempFolder temp_;
  std::unique_ptr<ui::Application> app_;
  std::unique_ptr<TForm3> form_;
};

std::wstring W(std::string_view cp932) { return win::ToWide(cp932); }

// The window's sink, with 中断 clicked once the count reaches 10.
class AbortAtTen final : public backup::ProgressSink {
 public:
  explicit AbortAtTen(TForm3& form) : form_(form), sink_(form.Sink()) {}
  bool clicked = false;
  std::atomic<bool>& CancelRequested() noexcept override { return sink_.CancelRequested(); }
  void BackupBegins(bool copy_run) override { sink_.BackupBegins(copy_run); }
  void BackupEnds(bool copy_run) override { sink_.BackupEnds(copy_run); }
  void ShowCount(int32_t files) override {
    sink_.ShowCount(files);
    if (clicked || files != 10) return;
    clicked = true;
    ::SendMessageW(form_.BtnAbort(), BM_CLICK, 0, 0);
  }
  void ShowTotal(int32_t files) override { sink_.ShowTotal(files); }
  void ShowCopied(int32_t files) override { sink_.ShowCopied(files); }

 private:
  TForm3& form_;
  backup::ProgressSink& sink_;
};

// Fixes "now" for the window's clock; restored after each test.
class FixedClock {
 public:
  FixedClock() {
    win::SetClockForTesting([this] { return now; });
  }
  ~FixedClock() { win::SetClockForTesting(nullptr); }
  DateTime now = EncodeDateTime(2024, 5, 23, 10, 0, 0, 0);
};

TEST_F(ProgressForm, IsCreatedHiddenOnTopCentredWithoutACloseBoxAndNoTimer) {
  const HWND form = form_->Handle();
  EXPECT_FALSE(::IsWindowVisible(form));
  EXPECT_EQ(Text(form), W("Backup 処理中"));
  const LONG_PTR style = ::GetWindowLongPtrW(form, GWL_STYLE);
  const LONG_PTR ex_style = ::GetWindowLongPtrW(form, GWL_EXSTYLE);
  EXPECT_NE(style & WS_CAPTION, 0);
  EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
  EXPECT_NE(ex_style & WS_EX_TOPMOST, 0);
  EXPECT_NE(ex_style & WS_EX_DLGMODALFRAME, 0);
  // Owned by the application, so it has no taskbar entry of its own.
  EXPECT_EQ(::GetWindow(form, GW_OWNER), app_->Handle());

  RECT frame, work;
  ::GetWindowRect(form, &frame);
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR((frame.left + frame.right) / 2, (work.left + work.right) / 2, 1);
  EXPECT_NEAR((frame.top + frame.bottom) / 2, (work.top + work.bottom) / 2, 1);

  EXPECT_EQ(Text(form_->LblFileAll().Handle()), W("初期化中"));
  EXPECT_EQ(Text(form_->LblTimeAll().Handle()), W("初期化中"));
  EXPECT_EQ(Text(form_->BtnAbort()), W("中断"));
  EXPECT_EQ(::GetNextDlgTabItem(form, nullptr, FALSE), form_->BtnAbort());
  // No timer exists to be killed until a run starts it.
  EXPECT_FALSE(::KillTimer(form, TForm3::kTimerId));
}

TEST_F(ProgressForm, LabelsSizeThemselvesToTheirText) {
  const HWND total = form_->LblFileAll().Handle();
  const auto width = [&] {
    RECT r;
    ::GetWindowRect(total, &r);
    return r.right - r.left;
  };
  const int initial = width();
  EXPECT_GT(initial, 0);
  Shows(7);
  const int one_digit = width();
  Shows(1234567);
  EXPECT_EQ(Text(total), L"1234567");
  EXPECT_LT(one_digit, initial);
  EXPECT_GT(width(), one_digit);
}

TEST_F(ProgressForm, StartResetsTheCountersShowsOnTopAndStopHides) {
  Shows(12, 9);
  const FixedClock clock;

  Start();
  EXPECT_TRUE(::IsWindowVisible(form_->Handle()));
  EXPECT_EQ(form_->Gauge().Progress(), 0);
  EXPECT_EQ(form_->Gauge().MaxValue(), 100);
  EXPECT_NEAR(form_->StartTime, 10.0 / 24, 0.5 / 86400000);
  EXPECT_EQ(::GetFocus(), form_->BtnAbort());
  // A second run shows the last total until it counts again.
  EXPECT_EQ(Text(form_->LblFileAll().Handle()), L"12");

  form_->StopProgress();
  EXPECT_FALSE(::IsWindowVisible(form_->Handle()));
  EXPECT_FALSE(::KillTimer(form_->Handle(), TForm3::kTimerId));
}

// An unattended run starts while the user may be typing elsewhere: the
// window shows on top, but the keys stay where they were.
TEST_F(ProgressForm, AnUnattendedStartShowsOnTopWithoutTakingTheFocus) {
  const HWND elsewhere = ::CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                           200, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(elsewhere, nullptr);
  ::SetForegroundWindow(elsewhere);
  ::SetFocus(elsewhere);
  test::Pump(*app_);
  ASSERT_EQ(::GetFocus(), elsewhere);

  Start(/*title_progress=*/true);
  EXPECT_TRUE(::IsWindowVisible(form_->Handle()));
  EXPECT_NE(::GetWindowLongPtrW(form_->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(::GetFocus(), elsewhere);
  form_->StopProgress();
  ::DestroyWindow(elsewhere);
}

TEST_F(ProgressForm, ElapsedTimeShowsWholeSecondsSinceTheStart) {
  struct Case {
    DateTime start, tick;
    const wchar_t* shown;
  };
  const Case cases[] = {
      {EncodeDateTime(2024, 5, 23, 10, 0, 0, 0), EncodeDateTime(2024, 5, 23, 10, 1, 5, 400),
       L"00:01:05"},
      // Whole seconds passed, not rounded.
      {EncodeDateTime(2024, 5, 23, 10, 0, 0, 0), EncodeDateTime(2024, 5, 23, 12, 34, 56, 999),
       L"02:34:56"},
      // Across midnight: the time that really passed, not a day less it.
      {EncodeDateTime(2024, 5, 23, 23, 59, 30, 0), EncodeDateTime(2024, 5, 24, 0, 0, 10, 0),
       L"00:00:40"},
  };
  FixedClock clock;
  for (const Case& c : cases) {
    clock.now = c.start;
    Start();
    clock.now = c.tick;
    form_->TimerTimer();
    EXPECT_EQ(Text(form_->LblTimeAll().Handle()), c.shown);
    form_->StopProgress();
  }
  // The next run shows the last elapsed time until its first tick.
  Start();
  EXPECT_EQ(Text(form_->LblTimeAll().Handle()), L"00:00:40");
}

TEST_F(ProgressForm, TitleShowsTheTruncatedPercentageOnlyWhenAsked) {
  app_->SetTitle("Yorudex");
  Start(false);
  Shows(27, 10);
  EXPECT_EQ(app_->Title(), "Yorudex");

  Start(true);
  Shows(27, 10);  // 37.03...
  EXPECT_EQ(app_->Title(), "Yorudex 37%");
  EXPECT_EQ(Text(app_->Handle()), L"Yorudex 37%");
  Shows(27, 18);  // 66.6...
  EXPECT_EQ(app_->Title(), "Yorudex 66%");

  // The title is left as it is when the run ends.
  form_->StopProgress();
  EXPECT_EQ(app_->Title(), "Yorudex 66%");
}

TEST_F(ProgressForm, NoFilesAtAllShowZeroPercentOnGaugeAndTitle) {
  temp_.MakeFolder(L"only\\empty");
  Start(true);
  ASSERT_TRUE(Count(temp_.Path() + L"only\\"));
  form_->TimerTimer();
  EXPECT_EQ(form_->Gauge().MaxValue(), 0);
  EXPECT_EQ(form_->Gauge().Percent(), 0);
  EXPECT_EQ(app_->Title(), "Yorudex 0%");
  EXPECT_EQ(Text(form_->LblFileAll().Handle()), L"0");
}

TEST_F(ProgressForm, AbortDuringCountingKeepsThePartialTotalAndTheTimerRunsOn) {
  // Three folders of five files each, so the total shown before each
  // descent does not depend on the order of the listing: 0, 5, then 10.
  for (const wchar_t* folder : {L"a", L"b", L"c"}) MakeFiles(std::wstring(L"src\\") + folder, 5);
  // The user presses the abort button once the window shows a total of 10.
  const HWND total = form_->LblFileAll().Handle();
  AbortAtTen sink(*form_);
  Start(true);
  EXPECT_FALSE(Count(temp_.Path() + L"src\\", &sink));
  EXPECT_TRUE(sink.clicked);
  EXPECT_TRUE(form_->State().cancel);
  EXPECT_FALSE(::IsWindowVisible(form_->Handle()));

  // The hidden window's timer goes on ticking until the run stops it: a tick
  // (posted, as the system posts it) is handled and shows the partial count
  // and the title, and the timer is still set.
  app_->SetTitle("Yorudex");
  ::PostMessageW(form_->Handle(), WM_TIMER, TForm3::kTimerId, 0);
  test::Pump(*app_);
  EXPECT_EQ(Text(total), L"10");
  EXPECT_EQ(app_->Title(), "Yorudex 0%");
  EXPECT_TRUE(::KillTimer(form_->Handle(), TForm3::kTimerId));
  form_->StopProgress();
}

TEST_F(ProgressForm, ClosingTheWindowIsAnAbort) {
  Start();
  ::SendMessageW(form_->Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(form_->State().cancel);
  EXPECT_TRUE(::IsWindow(form_->Handle()));
  EXPECT_FALSE(::IsWindowVisible(form_->Handle()));
  form_->StopProgress();
}

}  // namespace
}  // namespace yx::app
