#include "schedule/task_xml.h"

#include <algorithm>
#include <cstdint>

namespace yx::schedule {
namespace {

constexpr int kLastMinuteOfDay = 24 * 60 - 1;

std::u16string Number(int value, int width = 1) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
    value /= 10;
  } while (value > 0);
  while (static_cast<int>(digits.size()) < width) digits.insert(digits.begin(), u'0');
  return digits;
}

std::u16string Duration(int minutes) {
  std::u16string text = u"PT";
  if (minutes >= 60) text += Number(minutes / 60) + u"H";
  if (minutes % 60 != 0) text += Number(minutes % 60) + u"M";
  return text;
}

std::u16string Escaped(std::u16string_view text) {
  std::u16string out;
  for (const char16_t c : text) {
    switch (c) {
      case u'&':
        out += u"&amp;";
        break;
      case u'<':
        out += u"&lt;";
        break;
      case u'>':
        out += u"&gt;";
        break;
      case u'"':
        out += u"&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

bool EndsWithBackslash(std::u16string_view path) { return !path.empty() && path.back() == u'\\'; }

std::u16string TriggerXml(const WeeklyTrigger& trigger) {
  static constexpr std::u16string_view kDayNames[kDays] = {
      u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday", u"Sunday"};
  std::u16string xml = u"    <CalendarTrigger>\r\n";
  if (trigger.interval_hours > 0) {
    xml += u"      <Repetition>\r\n        <Interval>PT" + Number(trigger.interval_hours) +
           u"H</Interval>\r\n        <Duration>" + Duration(trigger.duration_minutes) +
           u"</Duration>\r\n        <StopAtDurationEnd>false</StopAtDurationEnd>\r\n"
           u"      </Repetition>\r\n";
  }
  // A fixed Monday long past, so that the text depends on the settings
  // alone: of the boundary only the time of day counts for a weekly trigger.
  xml += u"      <StartBoundary>2001-01-01T" + Number(trigger.start.hour, 2) + u":" +
         Number(trigger.start.minute, 2) + u":00</StartBoundary>\r\n";
  xml += u"      <Enabled>true</Enabled>\r\n      <ScheduleByWeek>\r\n        <DaysOfWeek>\r\n";
  for (int day = 0; day < kDays; ++day)
    if (trigger.days[day]) xml += u"          <" + std::u16string(kDayNames[day]) + u" />\r\n";
  xml +=
      u"        </DaysOfWeek>\r\n        <WeeksInterval>1</WeeksInterval>\r\n"
      u"      </ScheduleByWeek>\r\n    </CalendarTrigger>\r\n";
  return xml;
}

}  // namespace

std::vector<WeeklyTrigger> Triggers(const LaunchPlan& plan) {
  std::vector<WeeklyTrigger> triggers;
  if (plan.use_time_list) {
    for (const ClockTime time : plan.times) triggers.push_back({plan.days, time, 0, 0});
    return triggers;
  }
  WeeklyTrigger trigger{plan.days, plan.period_start, 0, 0};
  if (PeriodLaunches(plan.period_start, plan.period_span).size() > 1) {
    trigger.interval_hours = plan.period_span;
    trigger.duration_minutes = kLastMinuteOfDay - plan.period_start.Minutes();
  }
  triggers.push_back(trigger);
  return triggers;
}

std::optional<LaunchPlan> PlanFromTriggers(const std::vector<WeeklyTrigger>& triggers) {
  if (triggers.empty()) return std::nullopt;
  LaunchPlan plan;
  plan.days = triggers.front().days;
  if (triggers.size() == 1 && triggers.front().interval_hours > 0) {
    plan.use_time_list = false;
    plan.period_start = triggers.front().start;
    plan.period_span = triggers.front().interval_hours;
  } else {
    for (const WeeklyTrigger& trigger : triggers) plan.times.push_back(trigger.start);
    std::sort(plan.times.begin(), plan.times.end());
  }
  // Only a plan that gives these very triggers back is theirs.
  if (Triggers(plan) != triggers) return std::nullopt;
  return plan;
}

int DurationMinutes(std::u16string_view text) {
  if (text.size() < 3 || text[0] != u'P') return -1;
  long long minutes = 0, value = 0;
  bool in_time = false, digits = false;
  for (const char16_t c : text.substr(1)) {
    if (c >= u'0' && c <= u'9') {
      value = value * 10 + (c - u'0');
      digits = true;
      if (value > 1'000'000) return -1;
      continue;
    }
    if (c == u'T' && !digits && !in_time) {
      in_time = true;
      continue;
    }
    if (!digits) return -1;
    if (c == u'D' && !in_time)
      minutes += value * 24 * 60;
    else if (c == u'H' && in_time)
      minutes += value * 60;
    else if (c == u'M' && in_time)
      minutes += value;
    else if (c != u'S' || !in_time)  // seconds: below a minute, not counted
      return -1;
    value = 0;
    digits = false;
  }
  if (digits || minutes > 1'000'000) return -1;
  return static_cast<int>(minutes);
}

std::optional<ClockTime> BoundaryTime(std::u16string_view boundary) {
  const size_t t = boundary.find(u'T');
  if (t == std::u16string_view::npos || boundary.size() < t + 6 || boundary[t + 3] != u':')
    return std::nullopt;
  auto two = [&](size_t at) -> int {
    const char16_t a = boundary[at], b = boundary[at + 1];
    if (a < u'0' || a > u'9' || b < u'0' || b > u'9') return -1;
    return (a - u'0') * 10 + (b - u'0');
  };
  const int hour = two(t + 1), minute = two(t + 4);
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59) return std::nullopt;
  return ClockTime{hour, minute};
}

std::array<bool, kDays> DaysFromMask(int days_of_week) {
  std::array<bool, kDays> days{};
  // The Task Scheduler counts from Sunday (bit 0); the settings from Monday.
  for (int day = 0; day < kDays; ++day) days[day] = (days_of_week >> ((day + 1) % kDays)) & 1;
  return days;
}

std::u16string ProgramPath(std::u16string_view folder) {
  return std::u16string(folder) + u"Yorudex.exe";
}

std::u16string SettingsPath(std::u16string_view folder) {
  return std::u16string(folder) + u"Yorudex.INI";
}

std::u16string WorkingFolder(std::u16string_view folder) {
  std::u16string path(folder);
  if (EndsWithBackslash(path) && !(path.size() == 3 && path[1] == u':')) path.pop_back();
  return path;
}

std::u16string TaskName(std::u16string_view folder) {
  while (EndsWithBackslash(folder)) folder.remove_suffix(1);
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (char16_t c : folder) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    if (c == u'/') c = u'\\';
    hash = (hash ^ c) * 16777619u;
  }
  std::u16string name = u"Yorudex-";
  for (int shift = 28; shift >= 0; shift -= 4) name += u"0123456789ABCDEF"[(hash >> shift) & 0xF];
  return name;
}

std::u16string TaskXml(const LaunchPlan& plan, std::u16string_view folder) {
  std::u16string xml =
      u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
      u"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
      u"  <RegistrationInfo>\r\n    <Description>Yorudex の設定ファイル " +
      Escaped(SettingsPath(folder)) +
      u" の起動日時から YorudexSchedule.exe が作ったタスクです。起動日時を変えて保存したら、"
      u"YorudexSchedule.exe で登録し直してください。</Description>\r\n"
      u"  </RegistrationInfo>\r\n  <Triggers>\r\n";
  for (const WeeklyTrigger& trigger : Triggers(plan)) xml += TriggerXml(trigger);
  // Interactive token: the task runs as the user who registered it, only
  // while that user is logged on, and no password is asked for or stored.
  xml +=
      u"  </Triggers>\r\n  <Principals>\r\n    <Principal id=\"Author\">\r\n"
      u"      <LogonType>InteractiveToken</LogonType>\r\n"
      u"      <RunLevel>LeastPrivilege</RunLevel>\r\n    </Principal>\r\n  </Principals>\r\n"
      u"  <Settings>\r\n"
      // A run still going when the next one is due is left alone: two runs
      // would write into the same destination at once.
      u"    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\r\n"
      u"    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\r\n"
      u"    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\r\n"
      // A launch missed while the machine was off runs when it is back.
      u"    <StartWhenAvailable>true</StartWhenAvailable>\r\n"
      u"    <AllowStartOnDemand>true</AllowStartOnDemand>\r\n"
      u"    <Enabled>true</Enabled>\r\n"
      // Three days: no backup takes that long, and a run hung for ever would
      // otherwise block every later launch (IgnoreNew).
      u"    <ExecutionTimeLimit>PT72H</ExecutionTimeLimit>\r\n"
      u"  </Settings>\r\n  <Actions Context=\"Author\">\r\n    <Exec>\r\n"
      u"      <Command>\"" +
      Escaped(ProgramPath(folder)) +
      u"\"</Command>\r\n      <Arguments>/AUTO</Arguments>\r\n      <WorkingDirectory>" +
      Escaped(WorkingFolder(folder)) +
      u"</WorkingDirectory>\r\n    </Exec>\r\n  </Actions>\r\n</Task>\r\n";
  return xml;
}

}  // namespace yx::schedule
