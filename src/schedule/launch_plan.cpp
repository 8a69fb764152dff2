#include "schedule/launch_plan.h"

#include <algorithm>
#include <string_view>

#include "settings/check_rules.h"
#include "settings/int_or_default.h"

namespace yx::schedule {

namespace {
constexpr char kNoWeekday[] =
    "起動日が 1 日も選ばれていません。Yorudex の「日時」ページで起動日を選んで保存してください。";
constexpr char kNoTime[] =
    "指定時間が 1 つもありません。Yorudex の「日時」ページで起動時間を入れて保存してください。";
}  // namespace

ScheduleSettings ScheduleFields(const settings::Settings& s) {
  return {s.launch_days, s.use_time_list, s.times, s.period_hour, s.period_minute, s.period_span};
}

std::vector<ClockTime> PeriodLaunches(ClockTime start, int span_hours) {
  std::vector<ClockTime> launches;
  if (span_hours < 1) return launches;
  for (int at = start.Minutes(); at < 24 * 60; at += span_hours * 60)
    launches.push_back({at / 60, at % 60});
  return launches;
}

PlanResult MakePlan(const ScheduleSettings& settings) {
  PlanResult result;
  LaunchPlan& plan = result.plan;
  plan.days = settings.launch_days;
  plan.use_time_list = settings.use_time_list;
  for (const std::string& cell : settings.times) {
    if (cell.empty()) continue;
    if (const settings::TimeFault fault = settings::CheckTimeRow(cell);
        fault != settings::TimeFault::None) {
      result.fault = settings::TimeFaultMessage(fault, cell);
      return result;
    }
    const std::string_view text(cell);
    plan.times.push_back({settings::IntOrDefault(text.substr(0, 2), -1),
                          settings::IntOrDefault(text.substr(2, 2), -1)});
  }
  std::sort(plan.times.begin(), plan.times.end());
  plan.times.erase(std::unique(plan.times.begin(), plan.times.end()), plan.times.end());
  if (!settings.use_time_list) {
    // The settings file corrects these on reading; values from elsewhere get
    // the same treatment rather than a trigger the Task Scheduler refuses.
    plan.times.clear();
    plan.period_start = {settings.period_hour, settings.period_minute};
    if (settings.period_hour < 0 || settings.period_hour > 23) plan.period_start.hour = 0;
    if (settings.period_minute < 0 || settings.period_minute > 59) plan.period_start.minute = 0;
    plan.period_span =
        settings.period_span >= 1 && settings.period_span <= 12 ? settings.period_span : 1;
  }
  if (std::none_of(plan.days.begin(), plan.days.end(), [](bool day) { return day; }))
    result.fault = kNoWeekday;
  else if (plan.use_time_list && plan.times.empty())
    result.fault = kNoTime;
  return result;
}

namespace {

std::string FormatTime(ClockTime time) {
  std::string text = std::to_string(time.hour) + ":";
  if (time.minute < 10) text += '0';
  return text + std::to_string(time.minute);
}

// "毎日 " or "月・水・金の ".
std::string DaysPhrase(const std::array<bool, kDays>& days) {
  if (std::all_of(days.begin(), days.end(), [](bool day) { return day; })) return "毎日 ";
  static constexpr std::string_view kNames[kDays] = {"月", "火", "水", "木", "金", "土", "日"};
  std::string text;
  for (int day = 0; day < kDays; ++day) {
    if (!days[day]) continue;
    if (!text.empty()) text += "・";
    text += kNames[day];
  }
  return text + "の ";
}

// "9:00"、"9:00 と 18:30"、"9:00、12:00 と 18:30".
std::string TimesPhrase(const std::vector<ClockTime>& times) {
  std::string text;
  for (size_t i = 0; i < times.size(); ++i) {
    if (i > 0) text += i + 1 == times.size() ? " と " : "、";
    text += FormatTime(times[i]);
  }
  return text;
}

}  // namespace

std::string Describe(const LaunchPlan& plan) {
  std::string text = DaysPhrase(plan.days);
  const std::vector<ClockTime> launches =
      plan.use_time_list ? plan.times : PeriodLaunches(plan.period_start, plan.period_span);
  if (plan.use_time_list || launches.size() < 2) {
    text += TimesPhrase(launches) + " に";
  } else {
    text += FormatTime(plan.period_start) + " から " + std::to_string(plan.period_span) +
            " 時間毎に " + FormatTime(launches.back()) + " まで";
  }
  return text + " Yorudex.exe /AUTO を起動します";
}

}  // namespace yx::schedule
