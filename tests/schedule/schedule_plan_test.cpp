// The companion's decisions that need no Task Scheduler: which launches the
// settings make, how they read in Japanese, the triggers they become, and
// how a registered task is read back and compared.
#include <gtest/gtest.h>

#include "schedule/last_run.h"
#include "schedule/registered_task.h"
#include "schedule/task_xml.h"
#include "settings/check_rules.h"

namespace yx::schedule {
namespace {

ScheduleSettings Weekdays(std::initializer_list<const char*> times) {
  ScheduleSettings s;
  s.launch_days = {true, true, true, true, true, false, false};
  int row = 0;
  for (const char* time : times) s.times[row++] = time;
  return s;
}

ScheduleSettings Period(int hour, int minute, int span) {
  ScheduleSettings s;
  s.launch_days.fill(true);
  s.use_time_list = false;
  s.period_hour = hour;
  s.period_minute = minute;
  s.period_span = span;
  return s;
}

TEST(MakePlan, TimeListIsSortedWithoutRepeatsAndReadsAsOneSentence) {
  const PlanResult r = MakePlan(Weekdays({"1830", "", "1200", "1200", " 930"}));
  ASSERT_EQ(r.fault, "");
  EXPECT_EQ(r.plan.times, (std::vector<ClockTime>{{9, 30}, {12, 0}, {18, 30}}));
  EXPECT_EQ(Describe(r.plan),
            "月・火・水・木・金の 9:30、12:00 と 18:30 に Yorudex.exe /AUTO を起動します");
  const PlanResult two = MakePlan(Weekdays({"1200", "1830"}));
  EXPECT_EQ(Describe(two.plan),
            "月・火・水・木・金の 12:00 と 18:30 に Yorudex.exe /AUTO を起動します");
}

TEST(MakePlan, AFaultyCellStopsRegistrationInTheCheckWordsEvenInPeriodMode) {
  // A run of the program stops at the same cell, whichever mode is on.
  ScheduleSettings s = Period(9, 0, 3);
  s.times = {"1200", "12ab", "2400"};
  EXPECT_EQ(MakePlan(s).fault, settings::TimeFaultMessage(settings::TimeFault::Minute, "12ab"));
  EXPECT_EQ(MakePlan(Weekdays({"930"})).fault, "[930]時間の設定に誤りがあります。");
}

TEST(MakePlan, NothingToRegisterWithoutAWeekdayOrATime) {
  ScheduleSettings no_day = Weekdays({"1200"});
  no_day.launch_days.fill(false);
  EXPECT_NE(MakePlan(no_day).fault.find("起動日"), std::string::npos);
  EXPECT_NE(MakePlan(Weekdays({})).fault.find("指定時間"), std::string::npos);
  ScheduleSettings period_without_times = Period(9, 0, 3);
  EXPECT_EQ(MakePlan(period_without_times).fault, "");
}

TEST(Triggers, PeriodRepeatsUntilTheLastMinuteOfTheDay) {
  const LaunchPlan plan = MakePlan(Period(9, 0, 3)).plan;
  EXPECT_EQ(Describe(plan), "毎日 9:00 から 3 時間毎に 21:00 まで Yorudex.exe /AUTO を起動します");
  const std::vector<WeeklyTrigger> t = Triggers(plan);
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].start, (ClockTime{9, 0}));
  EXPECT_EQ(t[0].interval_hours, 3);
  EXPECT_EQ(t[0].duration_minutes, 14 * 60 + 59);
  // From midnight every hour: 24 launches, the last at 23:00, none at 24:00.
  EXPECT_EQ(PeriodLaunches({0, 0}, 1).size(), 24u);
  EXPECT_EQ(Triggers(MakePlan(Period(0, 0, 1)).plan)[0].duration_minutes, 1439);
}

TEST(Triggers, APeriodWithOneLaunchADayHasNoRepetition) {
  const LaunchPlan plan = MakePlan(Period(23, 0, 3)).plan;
  EXPECT_EQ(Describe(plan), "毎日 23:00 に Yorudex.exe /AUTO を起動します");
  EXPECT_EQ(Triggers(plan)[0].interval_hours, 0);
}

TEST(Triggers, PeriodValuesOutOfRangeAreCorrectedAsTheSettingsFileCorrectsThem) {
  const LaunchPlan plan = MakePlan(Period(24, 60, 13)).plan;
  EXPECT_EQ(plan.period_start, (ClockTime{0, 0}));
  EXPECT_EQ(plan.period_span, 1);
}

TEST(PlanFromTriggers, GivesBackThePlanOnlyForTriggersItMakes) {
  for (const ScheduleSettings& s : {Weekdays({"1830", "0700"}), Period(6, 15, 4)}) {
    const LaunchPlan plan = MakePlan(s).plan;
    EXPECT_EQ(PlanFromTriggers(Triggers(plan)), plan);
  }
  std::vector<WeeklyTrigger> mixed = Triggers(MakePlan(Weekdays({"0700", "1830"})).plan);
  mixed[1].days[6] = true;
  EXPECT_EQ(PlanFromTriggers(mixed), std::nullopt);
  EXPECT_EQ(PlanFromTriggers({}), std::nullopt);
}

TEST(TaskReadings, DurationsBoundariesAndDays) {
  EXPECT_EQ(DurationMinutes(u"PT14H59M"), 899);
  EXPECT_EQ(DurationMinutes(u"PT3H"), 180);
  EXPECT_EQ(DurationMinutes(u"P1DT1M"), 1441);
  for (std::u16string_view bad : {u"", u"3H", u"PTH", u"PT3", u"P3H", u"PT3X"})
    EXPECT_EQ(DurationMinutes(bad), -1) << bad.size();
  EXPECT_EQ(BoundaryTime(u"2001-01-01T09:05:00+09:00"), (ClockTime{9, 5}));
  EXPECT_EQ(BoundaryTime(u"2001-01-01"), std::nullopt);
  EXPECT_EQ(BoundaryTime(u"2001-01-01T24:00:00"), std::nullopt);
  // Bit 0 is Sunday for the Task Scheduler, the last row for the settings.
  EXPECT_EQ(DaysFromMask(0x02 | 0x01),
            (std::array<bool, kDays>{true, false, false, false, false, false, true}));
}

TEST(TaskName, OneNamePerFolderWhateverItsCase) {
  const std::u16string name = TaskName(u"C:\\Tools\\Yorudex\\");
  EXPECT_EQ(name.size(), 16u);
  EXPECT_EQ(name.substr(0, 8), u"Yorudex-");
  EXPECT_EQ(TaskName(u"c:\\tools\\yorudex"), name);
  EXPECT_NE(TaskName(u"C:\\Tools\\Yorudex2\\"), name);
  EXPECT_EQ(WorkingFolder(u"C:\\Tools\\Yorudex\\"), u"C:\\Tools\\Yorudex");
  EXPECT_EQ(WorkingFolder(u"D:\\"), u"D:\\");
}

TEST(SameTask, TheRegisteredTaskMustStartThisProgramByTheseTriggers) {
  const std::u16string folder = u"C:\\Tools\\Yorudex\\";
  const LaunchPlan plan = MakePlan(Weekdays({"1200"})).plan;
  RegisteredTask task{
      Triggers(plan),        false, false, u"\"c:\\tools\\yorudex\\Yorudex.exe\"", u"/AUTO",
      u"C:\\Tools\\Yorudex", {}};
  EXPECT_TRUE(SameTask(task, plan, folder));
  EXPECT_EQ(DescribeRegistered(task), Describe(plan));
  RegisteredTask other = task;
  other.arguments = u"";
  EXPECT_FALSE(SameTask(other, plan, folder));
  other = task;
  other.triggers[0].start.minute = 1;
  EXPECT_FALSE(SameTask(other, plan, folder));
  other = task;
  other.unreadable = true;
  other.triggers.clear();
  EXPECT_FALSE(SameTask(other, plan, folder));
  EXPECT_NE(DescribeRegistered(other).find("読み取れません"), std::string::npos);
}

TEST(LastRun, TheReportIsToldInJapaneseAndAGapTheScheduleCannotExplainIsNamed) {
  LastRun run{true, EncodeDateTime(2001, 5, 23, 12, 0), 2};  // a Wednesday
  EXPECT_EQ(DescribeLastRun(run), "前回の実行: 01/05/23 12:00 失敗 (2)");
  run.result = 0;
  EXPECT_EQ(DescribeLastRun(run), "前回の実行: 01/05/23 12:00 正常終了");
  EXPECT_EQ(DescribeLastRun({true, 0, 0x41303}), "前回の実行: まだ実行されていません");
  EXPECT_EQ(DescribeLastRun({true, run.time, static_cast<long>(0x800710E0)}),
            "前回の実行: 01/05/23 12:00 エラー 0x800710E0");
  EXPECT_NE(DescribeLastRun({}).find("報告しません"), std::string::npos)
      << "not reported (Wine) is said, never shown as a run";

  // Weekdays at 12:00 and 18:30: after Friday 18:30 the next launch is Monday 12:00.
  const LaunchPlan plan = MakePlan(Weekdays({"1830", "1200"})).plan;
  EXPECT_EQ(NextLaunchAfter(plan, run.time), EncodeDateTime(2001, 5, 23, 18, 30));
  EXPECT_EQ(NextLaunchAfter(plan, EncodeDateTime(2001, 5, 25, 18, 30)),
            EncodeDateTime(2001, 5, 28, 12, 0));
  run.time = EncodeDateTime(2001, 5, 25, 18, 30);
  EXPECT_EQ(OverdueWarning(run, plan, EncodeDateTime(2001, 5, 28, 12, 59)), "") << "within grace";
  EXPECT_EQ(OverdueWarning(run, plan, EncodeDateTime(2001, 5, 28, 13, 1)),
            "※ 予定では 01/05/28 12:00 に起動するはずですが、それから実行されていません。");
  EXPECT_EQ(OverdueWarning({}, plan, EncodeDateTime(2002, 1, 1)), "") << "nothing reported";
  EXPECT_EQ(OverdueWarning({true, 0, 0x41303}, plan, EncodeDateTime(2002, 1, 1)), "");
  // The periodic start: every 3 hours from 9:00, each day.
  const LaunchPlan period = MakePlan(Period(9, 0, 3)).plan;
  EXPECT_EQ(NextLaunchAfter(period, EncodeDateTime(2001, 5, 23, 21, 0)),
            EncodeDateTime(2001, 5, 24, 9, 0));
}

}  // namespace
}  // namespace yx::schedule
