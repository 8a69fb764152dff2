#pragma once
// The gate before every save and every run: the launch times, the
// destination and the sources, in that order; the first fault stops it. It
// shows nothing and saves nothing: the caller reports the fault where its
// user will read it (a box on the field's page, or a line of the run log)
// and saves the settings when it passes. What it asks of the file system
// goes through FolderProbe, so it runs on plain records in tests.
#include <string>
#include <string_view>
#include <variant>

#include "base/date_time.h"
#include "settings/check_rules.h"
#include "settings/settings.h"

namespace yx::settings {

class FolderProbe {
 public:
  virtual ~FolderProbe() = default;
  [[nodiscard]] virtual bool FolderExists(const std::string& cp932_path) const = 0;
  // `inner` is `outer` or lies somewhere inside it.
  [[nodiscard]] virtual bool FolderIsWithin(const std::string& cp932_inner,
                                            const std::string& cp932_outer) const = 0;
  // The two sources end in names the file system takes for one folder, so
  // their backups would land in the same folder of the target.
  [[nodiscard]] virtual bool SameLastFolderName(const std::string& cp932_source,
                                                const std::string& cp932_other) const = 0;
};

// The field whose value is at fault, for the window to show its page.
enum class CheckedField { kTimes, kDestination, kSources };

struct CheckFault {
  CheckedField field;
  std::string message;  // CP932, as the user reads it
};

// What a passing check fixes for the run that follows it.
struct CutOffs {
  DateTime del_limit = kNoCutOff;
  DateTime kill_limit = kNoCutOff;
  // The forced rule leaves the selective one nothing: RulesConflictWarning()
  // is due, and the check passes all the same.
  bool rules_conflict = false;
};

using CheckResult = std::variant<CheckFault, CutOffs>;

// The cut-offs of `settings` for a run started at `run_start`, unchecked.
[[nodiscard]] CutOffs RunCutOffs(const Settings& settings, DateTime run_start);

// Checks `settings` as they would run at `run_start`.
[[nodiscard]] CheckResult CheckSettings(const Settings& settings, DateTime run_start,
                                        const FolderProbe& probe);

}  // namespace yx::settings
