#pragma once
// The settings record: the values of "Yorudex.INI" as the program uses
// them. A plain value: the file is read into one and written from one, and
// the settings window shows one in its controls. Each member is described by
// the key table (settings_keys.h), which also holds the defaults.
#include <array>
#include <cstddef>
#include <string>

namespace yx::settings {

inline constexpr int kDays = 7;   // Monday first
inline constexpr int kRows = 10;  // rows of the time grid and of the source list

using DayFlags = std::array<bool, kDays>;
using Rows = std::array<std::string, kRows>;
inline constexpr int kExclusionRows = 20;
using ExclusionRows = std::array<std::string, kExclusionRows>;
inline constexpr int kMostExclusionMb = 9999999;  // about 9.5 TB
// The longest text value the profile functions of Windows read back whole:
// a longer one would be cut by any other reader of the file.
inline constexpr size_t kMaxValueBytes = 2047;

struct Settings {
  DayFlags launch_days{};   // WEEK_MON..WEEK_SUN: the days a run may start
  DayFlags del_days{};      // DEL_MON..DEL_SUN: backups made on these days are the
                            // selective deletion's targets
  bool use_time_list{};     // GO_RND: the time list, otherwise the periodic start
  Rows times;               // TIME00..TIME09: "hhmm" as typed, CP932
  int period_hour{};        // TIME_SH
  int period_minute{};      // TIME_SM
  int period_span{};        // TIME_SS: hours between two periodic starts
  bool use_lha{};           // LHA_USE: an archive instead of a copy
  bool del_use{};           // DEL_USE: the selective deletion
  int del_value{};          // DEL_VAL
  bool del_in_months{};     // DEL_MONTH: DEL_VAL counts months, otherwise days
  bool kill_use{};          // KILL_USE: the forced deletion
  int kill_value{};         // KILL_VAL
  bool kill_in_months{};    // KILL_MONTH
  std::string destination;  // TO, CP932
  Rows sources;             // FROM00..FROM09, CP932
  bool link_use{};          // LINK_USE: a copy run links unchanged files to the
                            // previous backup's copy instead of copying them

  // EXCL00..EXCL19: name patterns a backup leaves out, CP932.
  ExclusionRows exclusions;
  // EXCL_SIZE: files of more MB are left out; 0: no limit.
  int exclusion_size_mb{};

  int warn_days{};       // WARN_DAYS: days without a good run before a warning; 0 = never
  std::string run_fail;  // RUN_FAIL: command line started after a run that did not succeed
  std::string run_done;  // RUN_DONE: command line started after a good run

  // Not a key: why the file could not be read as settings (empty when it
  // was), for the check to report before anything else.
  std::string file_fault;

  bool operator==(const Settings&) const = default;
};

// Every value at its key's default: what a missing file loads as.
[[nodiscard]] Settings DefaultSettings();

}  // namespace yx::settings
