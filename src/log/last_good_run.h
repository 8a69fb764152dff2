#pragma once
// How long ago the last good backup was, read from the month logs. The logs
// are the one record of what the runs did: every run, from the window or
// the scheduler, writes its lines there, and each save replaces the file
// whole, so a second record kept beside them could only come to disagree
// with them (a log deleted or edited by hand, a run whose record was lost).
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/date_time.h"

namespace yx::log {

// What one month's log says: whether any run started in it, and when the
// last run, in the order of the file, that ended with the success line
// started. The order of the file, not the latest stamp: a clock set back
// writes older stamps after newer ones.
struct GoodRunScan {
  bool any_run = false;
  std::optional<DateTime> last_good;
};
[[nodiscard]] GoodRunScan ScanMonthLog(std::string_view log_text);

enum class AgeState {
  kNoRuns,    // no run in the logs at all: nothing to warn of yet
  kRecent,    // the last good run is at most `warn_days` old
  kOld,       // older: `days` says how old
  kNoneGood,  // runs, but not one good run in the logs read
  kUnknown,   // a month log that could not be read came before any good run
  kAhead,     // the last good run's stamp lies after now: the clock was set back
};

struct BackupAge {
  AgeState state = AgeState::kNoRuns;
  int days = 0;          // whole days since the last good run (kRecent, kOld)
  DateTime last_good{};  // when it started (kRecent, kOld)
};

// How many months back the logs are read, the current one not counted:
// a task removed a year ago is still noticed.
inline constexpr int kMonthsBack = 12;

// One month's log: its text ("" when there is none), or nullopt when it
// exists but cannot be read.
using MonthLogReader = std::function<std::optional<std::string>(int year, int month)>;

// The age of the last good run at `now`, reading the month logs newest
// first and stopping at the first month that holds a good run.
[[nodiscard]] BackupAge AgeOfLastGoodRun(const MonthLogReader& read_month, DateTime now,
                                         int warn_days);

// Whether the age is worth a warning with `warn_days` (0 turns it off).
[[nodiscard]] bool NeedsWarning(const BackupAge& age, int warn_days);

// The one line that says it: "最後に成功したバックアップは 6 日前です" and
// the like; empty when nothing needs saying.
[[nodiscard]] std::string AgeWarning(const BackupAge& age, int warn_days);

}  // namespace yx::log
