#pragma once
// The task's last run as the Task Scheduler reports it, told in Japanese,
// and whether the schedule explains the time since then.
#include <optional>
#include <string>

#include "base/date_time.h"
#include "schedule/launch_plan.h"

namespace yx::schedule {

struct LastRun {
  bool reported = false;  // false: the Task Scheduler would not tell (Wine does not)
  DateTime time = 0;      // local time; 0 (or earlier) when the task has never run
  long result = 0;        // LastTaskResult: the program's exit status, or the scheduler's code
};

// "前回の実行: 01/05/23 12:00 正常終了" and the like (CP932).
[[nodiscard]] std::string DescribeLastRun(const LastRun& run);

// The first launch of `plan` after `after`; nullopt when the plan launches never.
[[nodiscard]] std::optional<DateTime> NextLaunchAfter(const LaunchPlan& plan, DateTime after);

// A line when the task should have run since its last run and has not (with
// an hour's grace for a start delayed until the machine is back); else empty.
[[nodiscard]] std::string OverdueWarning(const LastRun& run, const LaunchPlan& plan, DateTime now);

}  // namespace yx::schedule
