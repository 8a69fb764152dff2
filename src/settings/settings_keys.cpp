#include "settings/settings_keys.h"

#include <array>

#include "settings/int_or_default.h"

namespace yx::settings {
namespace {

constexpr SettingKey Flag(std::string_view key, Field field, int index, bool def) {
  return SettingKey{key, field, index, Kind::Flag, def ? 1 : 0, {}};
}
constexpr SettingKey Text(std::string_view key, Field field, int index, std::string_view def = {}) {
  return SettingKey{key, field, index, Kind::String, 0, def};
}
constexpr SettingKey Number(std::string_view key, Field field, int def, Correction c, int lo,
                            int hi) {
  return SettingKey{key, field, 0, Kind::Integer, def, {}, c, lo, hi};
}

constexpr std::array kKeys = {
    Flag("WEEK_MON", Field::LaunchDays, 0, true),
    Flag("WEEK_TUE", Field::LaunchDays, 1, true),
    Flag("WEEK_WED", Field::LaunchDays, 2, true),
    Flag("WEEK_THU", Field::LaunchDays, 3, true),
    Flag("WEEK_FRI", Field::LaunchDays, 4, true),
    Flag("WEEK_SAT", Field::LaunchDays, 5, true),
    Flag("WEEK_SUN", Field::LaunchDays, 6, true),
    Flag("DEL_MON", Field::DelDays, 0, true),
    Flag("DEL_TUE", Field::DelDays, 1, true),
    Flag("DEL_WED", Field::DelDays, 2, true),
    Flag("DEL_THU", Field::DelDays, 3, true),
    Flag("DEL_FRI", Field::DelDays, 4, true),
    Flag("DEL_SAT", Field::DelDays, 5, true),
    Flag("DEL_SUN", Field::DelDays, 6, true),
    Flag("GO_RND", Field::UseTimeList, 0, true),
    Text("TIME00", Field::Times, 0, "1200"),
    Text("TIME01", Field::Times, 1),
    Text("TIME02", Field::Times, 2),
    Text("TIME03", Field::Times, 3),
    Text("TIME04", Field::Times, 4),
    Text("TIME05", Field::Times, 5),
    Text("TIME06", Field::Times, 6),
    Text("TIME07", Field::Times, 7),
    Text("TIME08", Field::Times, 8),
    Text("TIME09", Field::Times, 9),
    Number("TIME_SH", Field::PeriodHour, 0, Correction::Reset, 0, 23),
    Number("TIME_SM", Field::PeriodMinute, 0, Correction::Reset, 0, 59),
    Number("TIME_SS", Field::PeriodSpan, 1, Correction::Reset, 1, 12),
    Flag("LHA_USE", Field::UseLha, 0, false),
    Flag("DEL_USE", Field::DelUse, 0, false),
    Number("DEL_VAL", Field::DelValue, 14, Correction::Clamp, 1, 99),
    Flag("DEL_MONTH", Field::DelInMonths, 0, false),
    Flag("KILL_USE", Field::KillUse, 0, false),
    Number("KILL_VAL", Field::KillValue, 30, Correction::Clamp, 1, 99),
    Flag("KILL_MONTH", Field::KillInMonths, 0, false),
    Text("TO", Field::Destination, 0),
    Text("FROM00", Field::Sources, 0),
    Text("FROM01", Field::Sources, 1),
    Text("FROM02", Field::Sources, 2),
    Text("FROM03", Field::Sources, 3),
    Text("FROM04", Field::Sources, 4),
    Text("FROM05", Field::Sources, 5),
    Text("FROM06", Field::Sources, 6),
    Text("FROM07", Field::Sources, 7),
    Text("FROM08", Field::Sources, 8),
    Text("FROM09", Field::Sources, 9),
};
static_assert(kKeys.size() == 46);

// What the profile functions trim from both ends of a value they read
// (measured under Wine: vertical tab, form feed and Ctrl-Z go too).
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A'; }

}  // namespace

std::span<const SettingKey> Keys() { return kKeys; }

int DecodeInteger(const SettingKey& entry, const std::optional<std::string>& raw) {
  const int value = IntOrDefault(raw.value_or(std::string()), entry.int_default);
  if (value >= entry.lo && value <= entry.hi) return value;
  switch (entry.correction) {
    case Correction::Reset:
      return entry.int_default;
    case Correction::Clamp:
      return value < entry.lo ? entry.lo : entry.hi;
    case Correction::None:
      break;
  }
  return value;
}

bool DecodeFlag(const SettingKey& entry, const std::optional<std::string>& raw) {
  return IntOrDefault(raw.value_or(std::string()), entry.int_default) != 0;
}

std::string DecodeText(const SettingKey& entry, const std::optional<std::string>& raw) {
  return raw ? *raw : std::string(entry.text_default);
}

std::string EncodeText(std::string_view value) {
  if (value.empty()) return {};
  const bool blank_at_end = IsBlank(value.front()) || IsBlank(value.back());
  const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                      value.back() == value.front();
  if (!blank_at_end && !quoted) return std::string(value);
  return "\"" + std::string(value) + "\"";
}

}  // namespace yx::settings
