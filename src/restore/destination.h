#pragma once
// The backups in a destination folder, newest first, each with what the run
// log says of the run that wrote it, and the entries of one of them.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "restore/backup_ref.h"
#include "restore/catalog_view.h"
#include "restore/file_access.h"
#include "restore/run_outcomes.h"
#include "restore/stored_entry.h"

namespace yx::restore {

struct FoundBackup {
  BackupRef ref;
  std::wstring path;  // full; a copy's folder ends in a backslash
  // Still being written (a copy run at work, an archive under its
  // unfinished name): shown, never offered.
  bool incomplete = false;
  std::optional<LoggedRun> run;  // of the month's log, when it has the run
  CatalogNote catalog;           // the run as its catalog tells it, when it has one
};

struct Destination {
  std::wstring root;  // ends in a backslash
  std::vector<FoundBackup> backups;
  // Why nothing is listed: the folder is missing, unreadable or holds no
  // backup (CP932).
  std::string fault;
  // A line for each link found where a month, a day or a backup goes (CP932):
  // what it leads to is none of this destination's, and is never read.
  std::vector<std::string> left_out;
  [[nodiscard]] const FoundBackup* Find(std::string_view id) const;  // a complete one
};

// `root`: the destination folder, final backslash or not. `log_dir`: the
// program's log folder, ending in a backslash (empty: no log to read).
// Inside the backups only their catalogs' first bytes are read. Once `stop`
// is set it reads no further day folder: what it found by then is listed.
[[nodiscard]] Destination ScanDestination(const std::wstring& root, const std::wstring& log_dir,
                                          FileAccess& access = SystemFileAccess(),
                                          const std::atomic<bool>* stop = nullptr);

[[nodiscard]] std::unique_ptr<BackupEntries> OpenBackup(const FoundBackup& backup);

}  // namespace yx::restore
