#pragma once
// What the run log says about the run that wrote a backup. A run's lines go
// from its START= line to its END= line; the backup it wrote is named after a
// time between the two (read after the settings check), so the run whose
// minutes span a backup's id is the run that wrote it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yx::restore {

enum class RunOutcome { kDone, kFailed, kCancelled };

struct LoggedRun {
  std::string first, last;            // start and end minute as order keys (yyyymmddhhnn)
  std::optional<RunOutcome> outcome;  // nothing when the run logged none
};

// The runs of a month's log text (CP932, CR LF); a run without its END=
// line (cut off by a kill before the log was saved) is left out.
[[nodiscard]] std::vector<LoggedRun> LoggedRuns(std::string_view log_text);

// The order key of a backup id (yymmdd_hhnn), comparable with LoggedRun's.
[[nodiscard]] std::string MinuteKey(std::string_view id);

// The run that wrote the backup `id`, if the log holds one.
[[nodiscard]] const LoggedRun* RunOf(const std::vector<LoggedRun>& runs, std::string_view id);

// "正常終了", "失敗", "中断", or "記録なし" when the log has no outcome.
[[nodiscard]] std::string_view OutcomeText(const LoggedRun* run);

}  // namespace yx::restore
