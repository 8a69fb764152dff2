// Runs that meet: a scheduled run while another is in progress, and the
// settings window left open while scheduled runs write the log, across a
// month's end. Only one run at a time does a backup, and no run's lines are
// lost from the log.
#include "reliability/pause_at.h"
#include "reliability/unattended_fixture.h"

#include "support/form_fixture.h"

namespace yx::test {
namespace {

constexpr char kBusy[] = "\t別のバックアップが実行中のため、実行しませんでした。";

using RunsAtOnce = UnattendedTest;

TEST_F(RunsAtOnce, ASecondScheduledRunDuringARunIsRefusedAndLogged) {
  Describe(
      "A second /AUTO starts while a first is held in the middle of its run; the first "
      "is then killed, and a third run follows.",
      "The second run does no backup, logs that another run was in progress and ends "
      "with status 2; the killed run's lock does not block the third, which succeeds; "
      "the log holds the second and the third run.");
  Settings();
  ChildOutcome second;
  {
    PauseAt pause(L"settings-save");
    Run(KilledRun(), kNow, [&] {
      if (!pause.Reached()) return false;
      pause.Stop();
      second = program.RunAuto("2001-05-23 09:06:00");
      return true;
    });
  }
  EXPECT_TRUE(second.finished && !second.dialog);
  EXPECT_EQ(second.exit_code, 2u);
  EXPECT_FALSE(dir.Exists(L"dest\\0105\\23\\0906"));
  RunExpectations third;
  third.may_go = {L"Yorudex.INI.new"};  // the killed save's new file, written again and moved
  Run(third, "2001-05-23 09:07:00");
  EXPECT_TRUE(
      LogHolds(Log(), "",
               {{"01/05/23 09:06:00", {kBusy, kStopped}, false}, {"01/05/23 09:07:00", {kDone}}}));
}

// The settings window of the test's own process, in the program's folder.
struct OpenWindow {
  explicit OpenWindow(const TempFolder& folder)
      : place(folder.PathA()),
        session(place, folder.PathA() + "log\\", false),
        form(app, dialogs, {folder.Path() + L"Yorudex.exe", {}}, session),
        progress(app) {
    form.AttachProgressForm(progress);
  }
  ~OpenWindow() { win::SetClockForTesting(nullptr); }
  // 実行, and the run to its end.
  void Exec() {
    form.BtnExecClick();
    PumpUntil(app, [this] { return !form.Busy(); });
  }
  // Last to go: the closed window's quit request must not reach the next test.
  struct Drain {
    ~Drain() {
      MSG msg;
      while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      }
    }
  } drain;
  ui::Application app{::GetModuleHandleW(nullptr)};
  FakeDialogs dialogs;
  run::FolderPlace place;
  run::RunSession session;
  app::TForm2 form;
  app::TForm3 progress;
};

TEST_F(RunsAtOnce, AWindowLeftOpenAcrossAMonthsEndKeepsTheScheduledRunsLines) {
  Describe(
      "The settings window is opened on 05-31 with May's log; after midnight a scheduled "
      "run writes June's log; another scheduled run is held as it saves its log while 実行 "
      "is pressed in the window, and killed; then 実行 once more.",
      "実行 during the scheduled run is refused with a message; the window's run adds its "
      "lines to June's log after the scheduled run's, and the LOG page shows June's log; "
      "May's log is untouched.");
  Settings();
  const std::string may = "START=01/05/31 12:00:00\r\n\tバックアップ正常終了\r\n";
  dir.WriteFile(L"log\\0105.log", may);
  win::SetClockForTesting([] { return EncodeDateTime(2001, 5, 31, 23, 50); });
  OpenWindow window(dir);
  ASSERT_EQ(window.form.RunLog().Text(), may);
  Run({}, "2001-06-01 00:30:00");
  {
    PauseAt pause(L"log-save");
    Run(KilledRun(), "2001-06-01 00:45:00", [&] {
      if (!pause.Reached()) return false;
      window.Exec();
      return true;
    });
  }
  ASSERT_EQ(window.dialogs.shown.size(), 1u);
  EXPECT_EQ("\t" + window.dialogs.shown[0].text, kBusy);
  win::SetClockForTesting([] { return EncodeDateTime(2001, 6, 1, 1, 0); });
  window.Exec();
  const std::string june = program.Log(L"0106");
  EXPECT_TRUE(LogHolds(june, "", {{"01/06/01 00:30:00", {kDone}}, {"01/06/01 01:00:00", {kDone}}}));
  EXPECT_EQ(window.form.RunLog().Text(), june);
  EXPECT_EQ(program.Log(L"0105"), may);
}

}  // namespace
}  // namespace yx::test
