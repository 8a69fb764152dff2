#include "schedule/last_run.h"

#include <cstdint>
#include <cstdio>

namespace yx::schedule {
namespace {

// Codes the Task Scheduler puts in place of a program's exit status.
constexpr long kTaskRunning = 0x00041301;     // SCHED_S_TASK_RUNNING
constexpr long kTaskHasNotRun = 0x00041303;   // SCHED_S_TASK_HAS_NOT_RUN
constexpr long kTaskTerminated = 0x00041306;  // SCHED_S_TASK_TERMINATED

// The program's exit statuses (the README's table) and the scheduler's own codes.
std::string ResultText(long result) {
  switch (result) {
    case 0:
      return "正常終了";
    case 1:
      return "ログを保存できませんでした (1)";
    case 2:
      return "失敗 (2)";
    case 3:
      return "異常終了 (3)";
    case kTaskRunning:
      return "実行中";
    case kTaskTerminated:
      return "途中で止められました";
    default:
      break;
  }
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX",
                static_cast<unsigned long>(static_cast<uint32_t>(result)));
  return std::string("エラー ") + code;
}

constexpr DateTime kGrace = 1.0 / 24;

}  // namespace

std::string DescribeLastRun(const LastRun& run) {
  if (!run.reported)
    return "前回の実行: タスク スケジューラが報告しません (この環境では未対応です)";
  if (run.time <= 0 || run.result == kTaskHasNotRun) return "前回の実行: まだ実行されていません";
  return "前回の実行: " + FormatDateTime("yy/mm/dd hh:nn", run.time) + " " + ResultText(run.result);
}

std::optional<DateTime> NextLaunchAfter(const LaunchPlan& plan, DateTime after) {
  const std::vector<ClockTime> times =
      plan.use_time_list ? plan.times : PeriodLaunches(plan.period_start, plan.period_span);
  const DateTimeParts from = DecodeDateTime(after);
  const DateTime first_day = EncodeDateTime(from.year, from.month, from.day);
  // A week and a day covers every weekday once after `after`'s own day.
  for (int day = 0; day <= 8; ++day) {
    const DateTime date = first_day + day;
    if (!plan.days[static_cast<size_t>(WeekdayMondayFirst(date))]) continue;
    for (const ClockTime& time : times) {
      const DateTime launch = date + time.Minutes() / (24.0 * 60);
      if (launch > after) return launch;
    }
  }
  return std::nullopt;
}

std::string OverdueWarning(const LastRun& run, const LaunchPlan& plan, DateTime now) {
  if (!run.reported || run.time <= 0 || run.result == kTaskRunning) return {};
  const std::optional<DateTime> due = NextLaunchAfter(plan, run.time);
  if (!due || now <= *due + kGrace) return {};
  return "※ 予定では " + FormatDateTime("yy/mm/dd hh:nn", *due) +
         " に起動するはずですが、それから実行されていません。";
}

}  // namespace yx::schedule
