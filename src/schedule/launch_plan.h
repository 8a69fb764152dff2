#pragma once
// The launch schedule of "Yorudex.INI" as the companion registers it: the
// weekdays and either the checked launch times or the periodic start. Built
// from the settings with the same rules as the program's own check, so that
// what is registered is what a run of the program would accept.
#include <array>
#include <compare>
#include <string>
#include <vector>

#include "settings/settings.h"

namespace yx::schedule {

inline constexpr int kDays = settings::kDays;  // Monday first, as the settings hold them
inline constexpr int kTimeRows = settings::kRows;

// The schedule fields of the settings record, as the settings file gives them.
struct ScheduleSettings {
  std::array<bool, kDays> launch_days{};
  bool use_time_list = true;
  std::array<std::string, kTimeRows> times;  // CP932, as typed
  int period_hour = 0;
  int period_minute = 0;
  int period_span = 1;
};

// The schedule fields of a settings record.
[[nodiscard]] ScheduleSettings ScheduleFields(const settings::Settings& settings);

struct ClockTime {
  int hour = 0;
  int minute = 0;
  [[nodiscard]] int Minutes() const { return hour * 60 + minute; }
  auto operator<=>(const ClockTime&) const = default;
};

struct LaunchPlan {
  std::array<bool, kDays> days{};
  bool use_time_list = true;
  std::vector<ClockTime> times;  // time list: ascending, each once
  ClockTime period_start;        // periodic: the first launch of each day
  int period_span = 1;           // hours between two launches
  bool operator==(const LaunchPlan&) const = default;
};

// The periodic launches of one day: the start and every span after it
// before midnight.
[[nodiscard]] std::vector<ClockTime> PeriodLaunches(ClockTime start, int span_hours);

struct PlanResult {
  LaunchPlan plan;
  // Empty when the plan can be registered; otherwise why not, in CP932.
  std::string fault;
};

// Every non-empty time cell is checked as the settings check checks it, in
// either mode, since a run of the program stops at the same cell: a schedule
// with a faulty cell would only start runs that end at once. The first fault
// is given, in the check's own words.
[[nodiscard]] PlanResult MakePlan(const ScheduleSettings& settings);

// "月・火・水・木・金の 12:00 と 18:30 に Yorudex.exe /AUTO を起動します" (CP932).
[[nodiscard]] std::string Describe(const LaunchPlan& plan);

}  // namespace yx::schedule
