#pragma once
// One backup run, from its "START=" line to its "END=" line: the settings
// check, the sweep, the dated target folder, the count, the copy of every
// source tree or one archiver command per source, the outcome line and the
// elapsed time. It knows no window: the settings come as a record, the time
// from the clock it is given, and its progress goes to a sink, which is
// also where messages may be handled. Saving the log is the caller's.
#include <cstdint>
#include <functional>
#include <optional>

#include "backup/file_link.h"
#include "backup/progress_sink.h"
#include "base/date_time.h"
#include "log/run_log.h"
#include "settings/settings.h"
#include "settings/settings_check.h"

namespace yx::backup {

struct RunClock {
  std::function<DateTime()> now;       // every reading of "now"
  std::function<uint64_t()> ticks_ms;  // how often the copied count is shown
};

struct RunRequest {
  settings::Settings settings;
  // Whether the archiver library is loaded; an archive run without it is refused.
  bool archiver_present = false;
  // The gate before the backup: checks (and saves) the settings at the
  // run's start and says why it refuses, as the caller shows such faults;
  // the cut-off dates of the sweep when it passes.
  std::function<std::optional<settings::CutOffs>(DateTime reference)> check;
  // How a copy run links a file to its earlier copy; null: CreateHardLinkW.
  FileLinker::MakeLink make_link;
};

enum class RunOutcome {
  kRefused,    // by the check, or no archiver: "異常終了しました。"
  kDone,       // "バックアップ正常終了"
  kCancelled,  // "バックアップを中断しました"
  kFailed,     // "バックアップの作成に失敗しました"
};

// Runs the backup that `request` describes, started at `run_start`, and
// writes its lines into `log`, the last of them "END=".
[[nodiscard]] RunOutcome RunBackup(const RunRequest& request, DateTime run_start,
                                   const RunClock& clock, ProgressSink& progress, log::RunLog& log);

}  // namespace yx::backup
