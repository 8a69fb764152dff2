#pragma once
// What the Task Scheduler holds under the companion's task name, read back
// into plain values, and how it compares with the task the settings make.
#include <optional>
#include <string>
#include <vector>

#include "schedule/last_run.h"
#include "schedule/launch_plan.h"
#include "schedule/task_xml.h"

namespace yx::schedule {

struct RegisteredTask {
  std::vector<WeeklyTrigger> triggers;  // the weekly ones
  bool other_triggers = false;          // any trigger of another kind
  // The task is there but the Task Scheduler would not tell its triggers or
  // its action (Wine's does not implement that part).
  bool unreadable = false;
  std::u16string command, arguments, working_folder;
  LastRun last_run;
};

// True when the task starts Yorudex.exe /AUTO of `folder` by exactly the
// triggers of `plan`.
[[nodiscard]] bool SameTask(const RegisteredTask& task, const LaunchPlan& plan,
                            std::u16string_view folder);

// The registered schedule in the words of Describe (CP932), or what keeps it
// from being told so.
[[nodiscard]] std::string DescribeRegistered(const RegisteredTask& task);

}  // namespace yx::schedule
