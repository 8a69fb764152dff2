#pragma once
// Puts the planned entries of one backup back on the disk, below a target
// folder. A file is written under a name of its own beside its place and
// takes its name only when whole, with its times and attributes as backed
// up: a full disk, a kill or an abort never leaves a torn file under a
// user's name. An existing file is never overwritten unless asked.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "restore/restore_plan.h"

namespace yx::restore {

// What happens to a file that exists already, asked once for a restore.
enum class Existing { kKeepBoth, kOverwrite, kSkip };

struct RestoreSummary {
  size_t restored = 0, skipped = 0;
  // "<path>: <reason>", CP932, one per file or folder that was not restored.
  std::vector<std::string> failures;
  bool cancelled = false;
  bool stopped = false;  // the target could not be written: the rest was not tried
  // Full paths of the files written (a kept copy under its new name).
  std::vector<std::wstring> written;
  // Those of them written beside an existing file, under a name of their own.
  std::vector<std::wstring> kept;
  [[nodiscard]] bool Complete() const { return failures.empty() && !cancelled && !stopped; }
};

struct RestoreJob {
  std::wstring target;  // ends in a backslash; made when missing
  std::string id;       // the backup's id, for the name of a kept copy
  // Asked at the first existing file (its full path) unless `existing` is
  // set; nothing cancels the restore.
  std::function<std::optional<Existing>(const std::wstring& existing_file)> ask;
  std::optional<Existing> existing;
  // After each entry, with the entries done and their total; false aborts.
  std::function<bool(size_t done, size_t total)> progress;
  // The backup's catalog, when it has one: each file written is checked
  // against it, and one whose bytes are not what was backed up is named
  // among the failures (it stays written: it is all the backup has).
  const catalog::Catalog* catalog = nullptr;
};

[[nodiscard]] RestoreSummary Restore(BackupEntries& backup, const std::vector<PlannedEntry>& plan,
                                     RestoreJob job);

}  // namespace yx::restore
