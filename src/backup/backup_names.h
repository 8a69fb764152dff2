#pragma once
// The names of the backup layout under the destination, as the run writes
// them and the retention sweep reads them back: month folders yymm, day
// folders dd, archives yymmdd_hhnn.lzh. The sweep decides by these names only.
#include <optional>
#include <string>
#include <string_view>

#include "base/date_time.h"

namespace yx::backup {

// Four ASCII digits, not "0000".
[[nodiscard]] bool IsMonthFolderName(std::string_view name);
// Two ASCII digits, not "00".
[[nodiscard]] bool IsDayFolderName(std::string_view name);
// Four ASCII digits hhnn of a time of day, "0000" to "2359": a copy run's
// folder in a day folder.
[[nodiscard]] bool IsTimeFolderName(std::string_view name);
// Extension ".lzh" from the last dot, in any letter case.
[[nodiscard]] bool IsArchiveFileName(std::string_view cp932_name);

// Code order, byte by byte; a text that is the beginning of another sorts first.
[[nodiscard]] bool SortsBefore(std::string_view name, std::string_view cut_off);

// The six texts the sweep compares names with, fixed as it begins. A rule
// that is off gets texts that no backup name reaches ("0000", "00", "000000_").
struct CutOffTexts {
  std::string kill_month, kill_day, kill_archive_prefix;
  std::string del_month, del_day, del_archive_prefix;
};
[[nodiscard]] CutOffTexts MakeCutOffTexts(bool kill_on, DateTime kill_limit, bool del_on,
                                          DateTime del_limit);

// The date that six characters yymmdd name (yy 50-99 is 19yy, 00-49 is 20yy),
// or nothing when a part is not two digits or the date does not exist.
[[nodiscard]] std::optional<DateTime> DateOfName(std::string_view yymmdd);

// A text that sorts backup names by their date: `yy_name` (a month folder
// name, or a month name followed by more of the name) with the century
// before it, so that 9912 (1999) sorts before 0105 (2001).
[[nodiscard]] std::string DateOrderKey(std::string_view yy_name);

// A source folder path (ending in a backslash) cut before its last folder
// name: "C:\Data\Work\" gives "C:\Data\" and "Work\". The first two
// characters are never a cut, so a drive root "C:\" has none.
struct SourceSplit {
  std::string parent;
  std::string name;
};
[[nodiscard]] std::optional<SourceSplit> SplitSource(std::string_view cp932_source);

}  // namespace yx::backup
