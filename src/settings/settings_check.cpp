#include "settings/settings_check.h"

#include <optional>

#include "base/exclusion.h"

namespace yx::settings {

CutOffs RunCutOffs(const Settings& s, DateTime run_start) {
  CutOffs cut_offs;
  cut_offs.del_limit = RuleCutOff(s.del_use, run_start, s.del_value, s.del_in_months);
  cut_offs.kill_limit = RuleCutOff(s.kill_use, run_start, s.kill_value, s.kill_in_months);
  cut_offs.rules_conflict =
      RulesConflict(s.del_use, cut_offs.del_limit, s.kill_use, cut_offs.kill_limit);
  return cut_offs;
}

namespace {

// The first text value too long to keep, with its page.
std::optional<CheckFault> TooLong(const Settings& s) {
  const auto over = [](const std::string& v) { return v.size() > kMaxValueBytes; };
  const auto fault = [](CheckedField field, std::string_view key) {
    return CheckFault{field, std::string(key) + std::string(TooLongMessage())};
  };
  if (over(s.destination)) return fault(CheckedField::kDestination, "TO");
  for (size_t row = 0; row < s.sources.size(); ++row)
    if (over(s.sources[row]))
      return fault(CheckedField::kSources,
                   "FROM" + std::string(row < 10 ? "0" : "") + std::to_string(row));
  for (size_t row = 0; row < s.exclusions.size(); ++row)
    if (over(s.exclusions[row]))
      return fault(CheckedField::kExclusions,
                   "EXCL" + std::string(row < 10 ? "0" : "") + std::to_string(row));
  if (over(s.run_fail)) return fault(CheckedField::kDestination, "RUN_FAIL");
  if (over(s.run_done)) return fault(CheckedField::kDestination, "RUN_DONE");
  return std::nullopt;
}

}  // namespace

CheckResult CheckSettings(const Settings& s, DateTime run_start, const FolderProbe& probe) {
  if (!s.file_fault.empty()) return CheckFault{CheckedField::kDestination, s.file_fault};
  if (std::optional<CheckFault> fault = TooLong(s)) return *fault;
  for (const std::string& row : s.times) {
    if (row.empty()) continue;
    const TimeFault fault = CheckTimeRow(row);
    if (fault != TimeFault::None)
      return CheckFault{CheckedField::kTimes, TimeFaultMessage(fault, row)};
  }
  if (s.destination.empty())
    return CheckFault{CheckedField::kDestination, std::string(DestinationUnsetMessage())};
  if (!probe.FolderExists(s.destination))
    return CheckFault{CheckedField::kDestination, std::string(DestinationMissingMessage())};
  for (const std::string& row : s.sources) {
    if (!row.empty() && !probe.FolderExists(row))
      return CheckFault{CheckedField::kSources, SourceMissingMessage(row)};
  }
  for (const std::string& row : s.sources) {
    if (!row.empty() && probe.FolderIsWithin(s.destination, row))
      return CheckFault{CheckedField::kDestination, DestinationInSourceMessage(row)};
  }
  for (size_t first = 0; first < s.sources.size(); ++first) {
    if (s.sources[first].empty()) continue;
    for (size_t second = first + 1; second < s.sources.size(); ++second) {
      if (!s.sources[second].empty() &&
          probe.SameLastFolderName(s.sources[first], s.sources[second]))
        return CheckFault{CheckedField::kSources,
                          SameFolderNameMessage(s.sources[first], s.sources[second])};
    }
  }
  for (size_t row = 0; row < s.exclusions.size(); ++row) {
    const std::string& pattern = s.exclusions[row];
    if (!pattern.empty() && (!IsUsableExclusion(pattern) || TakesEveryName(pattern)))
      return CheckFault{CheckedField::kExclusions,
                        ExclusionFaultMessage(static_cast<int>(row), pattern)};
  }
  return RunCutOffs(s, run_start);
}

}  // namespace yx::settings
