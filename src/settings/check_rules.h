#pragma once
// The decisions of the settings check that need no window: what is wrong with
// a launch time, the texts that report it, the deletion cut-off dates and the
// warning when the forced deletion leaves the selective one nothing to do.
// The settings window reads its controls, asks these, and shows the answer.
#include <string>
#include <string_view>

#include "base/date_time.h"

namespace yx::settings {

enum class TimeFault { None, Hour, Minute };

// One non-empty row of the launch-time grid, as CP932 bytes: exactly four
// bytes, hour 0-23 in the first two, minute 0-59 in the last two. A wrong
// length counts as an hour fault.
[[nodiscard]] TimeFault CheckTimeRow(std::string_view cp932_row);

// "[row]時間の設定に誤りがあります。" or "[row]分の設定に誤りがあります。";
// empty for TimeFault::None.
[[nodiscard]] std::string TimeFaultMessage(TimeFault fault, std::string_view cp932_row);

// Defined out of line so that they are CP932 bytes whatever the includer's
// character set flags are.
[[nodiscard]] std::string_view DestinationMissingMessage();
// No destination at all (no TO in the settings file, or an empty one).
[[nodiscard]] std::string_view DestinationUnsetMessage();
// After the key of a value over kMaxValueBytes.
[[nodiscard]] std::string_view TooLongMessage();
[[nodiscard]] std::string SourceMissingMessage(std::string_view cp932_row);
[[nodiscard]] std::string_view RulesConflictWarning();
// The destination is the source of that row or lies inside it: every backup
// would be backed up again into the next one.
[[nodiscard]] std::string DestinationInSourceMessage(std::string_view cp932_row);
// Two sources whose backups would share one folder of the target, and what
// the user may do about it.
[[nodiscard]] std::string SameFolderNameMessage(std::string_view cp932_row,
                                                std::string_view cp932_other);

// "[row]除外の設定に誤りがあります。(n行目)" for the exclusion pattern of
// row `row` (from 0), which can match nothing (base/exclusion.h).
[[nodiscard]] std::string ExclusionFaultMessage(int row, std::string_view cp932_row);

// The cut-off of a rule that is off.
inline constexpr DateTime kNoCutOff = -1;

// `value` calendar days before `reference` at the same time of day, or
// `value` months before it, clamped to the end of a shorter month.
[[nodiscard]] DateTime CutOff(DateTime reference, int value, bool in_months);

// kNoCutOff when the rule is off, otherwise CutOff.
[[nodiscard]] DateTime RuleCutOff(bool rule_on, DateTime reference, int value, bool in_months);

// Both rules on and the forced cut-off at or after the selective one: the
// forced rule then deletes everything the selective rule would have chosen from.
[[nodiscard]] bool RulesConflict(bool del_on, DateTime del_limit, bool kill_on,
                                 DateTime kill_limit);

}  // namespace yx::settings
