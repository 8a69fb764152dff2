#pragma once
// The task the companion registers, described as Task Scheduler XML (schema
// 1.2) by a pure function of the launch plan and the program folder: the same
// text is registered, exported for other machines, and checked by the tests.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "schedule/launch_plan.h"

namespace yx::schedule {

// One weekly calendar trigger: at `start` on `days`, and when `interval_hours`
// is not 0, again every so many hours for `duration_minutes` after it.
struct WeeklyTrigger {
  std::array<bool, kDays> days{};
  ClockTime start;
  int interval_hours = 0;
  int duration_minutes = 0;
  bool operator==(const WeeklyTrigger&) const = default;
};

// Time list: one trigger per time. Periodic: one trigger at the start,
// repeated until 23:59 of the same day (so the weekdays hold for every launch
// and none falls on midnight, the next day); no repetition when the span
// reaches past midnight from the first launch.
[[nodiscard]] std::vector<WeeklyTrigger> Triggers(const LaunchPlan& plan);

// The plan whose triggers these are, or nullopt when no plan makes them
// (a task changed by hand, or one the Task Scheduler stored only in part).
[[nodiscard]] std::optional<LaunchPlan> PlanFromTriggers(
    const std::vector<WeeklyTrigger>& triggers);

// Readings of what the Task Scheduler gives back. Unreadable text gives -1.
[[nodiscard]] int DurationMinutes(std::u16string_view iso8601);  // "PT14H59M"
[[nodiscard]] std::optional<ClockTime> BoundaryTime(
    std::u16string_view boundary);                                     // "...T09:00:00"
[[nodiscard]] std::array<bool, kDays> DaysFromMask(int days_of_week);  // bit 0 Sunday

// The program folder ends in a backslash. Yorudex.exe and Yorudex.INI lie in it.
[[nodiscard]] std::u16string ProgramPath(std::u16string_view folder);
[[nodiscard]] std::u16string SettingsPath(std::u16string_view folder);
// The folder as a working folder: without the final backslash, except a root.
[[nodiscard]] std::u16string WorkingFolder(std::u16string_view folder);

// "Yorudex-" and eight hex digits of a hash of the folder, ASCII case folded,
// so that two copies of the program have a task each and one copy always
// finds its own again.
[[nodiscard]] std::u16string TaskName(std::u16string_view folder);

[[nodiscard]] std::u16string TaskXml(const LaunchPlan& plan, std::u16string_view folder);

}  // namespace yx::schedule
