#include "settings/settings_keys.h"

#include <array>
#include <stdexcept>

#include "settings/int_or_default.h"
#include "settings/profile_text.h"

namespace yx::settings {
namespace {

// One maker per kind of member, so that an entry's kind always matches it.
constexpr SettingKey Flag(std::string_view key, bool Settings::*member, bool def) {
  return SettingKey{key, member, 0, Kind::Flag, def ? 1 : 0, {}};
}
constexpr SettingKey Day(std::string_view key, DayFlags Settings::*member, int index, bool def) {
  return SettingKey{key, member, index, Kind::Flag, def ? 1 : 0, {}};
}
constexpr SettingKey Text(std::string_view key, std::string Settings::*member) {
  return SettingKey{key, member, 0, Kind::String, 0, {}};
}
constexpr SettingKey Row(std::string_view key, Rows Settings::*member, int index,
                         std::string_view def = {}) {
  return SettingKey{key, member, index, Kind::String, 0, def};
}
constexpr SettingKey Exclusion(std::string_view key, int index) {
  return SettingKey{key, &Settings::exclusions, index, Kind::String, 0, {}};
}
constexpr SettingKey Number(std::string_view key, int Settings::*member, int def, Correction c,
                            int lo, int hi) {
  return SettingKey{key, member, 0, Kind::Integer, def, {}, c, lo, hi};
}

using S = Settings;
constexpr std::array kKeys = {
    Day("WEEK_MON", &S::launch_days, 0, true),
    Day("WEEK_TUE", &S::launch_days, 1, true),
    Day("WEEK_WED", &S::launch_days, 2, true),
    Day("WEEK_THU", &S::launch_days, 3, true),
    Day("WEEK_FRI", &S::launch_days, 4, true),
    Day("WEEK_SAT", &S::launch_days, 5, true),
    Day("WEEK_SUN", &S::launch_days, 6, true),
    Day("DEL_MON", &S::del_days, 0, true),
    Day("DEL_TUE", &S::del_days, 1, true),
    Day("DEL_WED", &S::del_days, 2, true),
    Day("DEL_THU", &S::del_days, 3, true),
    Day("DEL_FRI", &S::del_days, 4, true),
    Day("DEL_SAT", &S::del_days, 5, true),
    Day("DEL_SUN", &S::del_days, 6, true),
    Flag("GO_RND", &S::use_time_list, true),
    Row("TIME00", &S::times, 0, "1200"),
    Row("TIME01", &S::times, 1),
    Row("TIME02", &S::times, 2),
    Row("TIME03", &S::times, 3),
    Row("TIME04", &S::times, 4),
    Row("TIME05", &S::times, 5),
    Row("TIME06", &S::times, 6),
    Row("TIME07", &S::times, 7),
    Row("TIME08", &S::times, 8),
    Row("TIME09", &S::times, 9),
    Number("TIME_SH", &S::period_hour, 0, Correction::Reset, 0, 23),
    Number("TIME_SM", &S::period_minute, 0, Correction::Reset, 0, 59),
    Number("TIME_SS", &S::period_span, 1, Correction::Reset, 1, 12),
    Flag("LHA_USE", &S::use_lha, false),
    Flag("DEL_USE", &S::del_use, false),
    Number("DEL_VAL", &S::del_value, 14, Correction::Clamp, 1, 99),
    Flag("DEL_MONTH", &S::del_in_months, false),
    Flag("KILL_USE", &S::kill_use, false),
    Number("KILL_VAL", &S::kill_value, 30, Correction::Clamp, 1, 99),
    Flag("KILL_MONTH", &S::kill_in_months, false),
    Text("TO", &S::destination),
    Row("FROM00", &S::sources, 0),
    Row("FROM01", &S::sources, 1),
    Row("FROM02", &S::sources, 2),
    Row("FROM03", &S::sources, 3),
    Row("FROM04", &S::sources, 4),
    Row("FROM05", &S::sources, 5),
    Row("FROM06", &S::sources, 6),
    Row("FROM07", &S::sources, 7),
    Row("FROM08", &S::sources, 8),
    Row("FROM09", &S::sources, 9),
    // After the first 46, so a file of an older version keeps its order;
    // on when missing.
    Flag("LINK_USE", &S::link_use, true),
    Exclusion("EXCL00", 0),
    Exclusion("EXCL01", 1),
    Exclusion("EXCL02", 2),
    Exclusion("EXCL03", 3),
    Exclusion("EXCL04", 4),
    Exclusion("EXCL05", 5),
    Exclusion("EXCL06", 6),
    Exclusion("EXCL07", 7),
    Exclusion("EXCL08", 8),
    Exclusion("EXCL09", 9),
    Exclusion("EXCL10", 10),
    Exclusion("EXCL11", 11),
    Exclusion("EXCL12", 12),
    Exclusion("EXCL13", 13),
    Exclusion("EXCL14", 14),
    Exclusion("EXCL15", 15),
    Exclusion("EXCL16", 16),
    Exclusion("EXCL17", 17),
    Exclusion("EXCL18", 18),
    Exclusion("EXCL19", 19),
    Number("EXCL_SIZE", &S::exclusion_size_mb, 0, Correction::Clamp, 0, kMostExclusionMb),
    Number("WARN_DAYS", &S::warn_days, 3, Correction::Clamp, 0, 99),
    Text("RUN_FAIL", &S::run_fail),
    Text("RUN_DONE", &S::run_done),
};
static_assert(kKeys.size() == 47 + settings::kExclusionRows + 1 + 3);

// What the profile functions trim from both ends of a value they read
// (measured under Wine: vertical tab, form feed and Ctrl-Z go too).
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A'; }

// Record is Settings or const Settings; a list member gives the entry's row.
template <typename Record, typename Own, typename List, typename OtherList = List>
auto& ValueIn(Record& settings, const SettingKey& entry) {
  if (const auto* own = std::get_if<Own Settings::*>(&entry.member)) return settings.**own;
  const auto row = static_cast<size_t>(entry.index);
  if (const auto* other = std::get_if<OtherList Settings::*>(&entry.member))
    return (settings.**other).at(row);
  return (settings.*std::get<List Settings::*>(entry.member)).at(row);
}

}  // namespace

std::span<const SettingKey> Keys() { return kKeys; }

const SettingKey& KeyNamed(std::string_view key) {
  for (const SettingKey& entry : kKeys)
    if (entry.key == key) return entry;
  throw std::out_of_range(std::string(key));
}

Settings DefaultSettings() {
  Settings settings;
  for (const SettingKey& entry : kKeys) DecodeInto(settings, entry, std::nullopt);
  return settings;
}

bool& FlagIn(Settings& s, const SettingKey& e) { return ValueIn<Settings, bool, DayFlags>(s, e); }
bool FlagIn(const Settings& s, const SettingKey& e) {
  return ValueIn<const Settings, bool, DayFlags>(s, e);
}
int& IntegerIn(Settings& s, const SettingKey& e) { return s.*std::get<int Settings::*>(e.member); }
int IntegerIn(const Settings& s, const SettingKey& e) {
  return s.*std::get<int Settings::*>(e.member);
}
std::string& TextIn(Settings& s, const SettingKey& e) {
  return ValueIn<Settings, std::string, Rows, ExclusionRows>(s, e);
}
const std::string& TextIn(const Settings& s, const SettingKey& e) {
  return ValueIn<const Settings, std::string, Rows, ExclusionRows>(s, e);
}

void DecodeInto(Settings& settings, const SettingKey& entry,
                const std::optional<std::string>& raw) {
  switch (entry.kind) {
    case Kind::Flag:
      FlagIn(settings, entry) = DecodeFlag(entry, raw);
      break;
    case Kind::Integer:
      IntegerIn(settings, entry) = DecodeInteger(entry, raw);
      break;
    case Kind::String:
      TextIn(settings, entry) = DecodeText(entry, raw);
      break;
  }
}

std::string EncodeFrom(const Settings& settings, const SettingKey& entry) {
  switch (entry.kind) {
    case Kind::Flag:
      return FlagIn(settings, entry) ? "1" : "0";
    case Kind::Integer:
      return std::to_string(IntegerIn(settings, entry));
    case Kind::String:
      break;
  }
  return EncodeText(TextIn(settings, entry));
}

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
  // Quotes that reading would take off get a pair to lose. A wrapped value
  // that holds a double quote ('<tab>"') is wrapped again in its own kind:
  // reading keeps a pair around a value with quotes of that kind inside,
  // unless the value is itself wrapped in them.
  if (!blank_at_end && UnquotedValue(value) == value) return std::string(value);
  const bool wrapped = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                       value.back() == value.front();
  const char quote = wrapped && value.find('"') != std::string_view::npos ? value.front() : '"';
  return quote + std::string(value) + quote;
}

}  // namespace yx::settings
