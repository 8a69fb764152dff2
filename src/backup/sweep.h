#pragma once
// The retention sweep: removes expired backups from the destination by the
// names of its month folders, day folders and archives, before a backup run
// writes its own. Each expired backup gets one log line that says whether it
// went; what cannot be deleted stays and the next run's sweep tries again.
// Nothing stops the run. The newest backup in the destination is never
// deleted, expired or not: when runs keep failing, the sweep would
// otherwise leave the destination with no backup at all.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <string_view>

#include "base/date_time.h"

namespace yx::backup {

// What the sweep needs from the settings window, read at the moment of use.
struct SweepContext {
  bool kill_on = false;
  DateTime kill_limit = -1;
  bool del_on = false;
  DateTime del_limit = -1;
  // Whether backups of that weekday (Monday 0 ... Sunday 6) are deletion targets.
  std::function<bool(int weekday_monday0)> deletion_day;
  // Read before every directory entry; null reads as never set.
  const std::atomic<bool>* cancel_requested = nullptr;
  // One CP932 message per deletion, without the leading tab.
  std::function<void(const std::string& cp932_message)> log_line;
  // The newest backup ("yymm\dd" or "yymm\yymmdd_hhnn.lzh" below the root),
  // which SweepDestination finds before it deletes anything; empty keeps none.
  std::string newest;
  // Set once the line that keeps the newest backup is written.
  bool* newest_logged = nullptr;
};

// The newest backup below `root` (CP932, ending in a backslash), named as
// SweepContext::newest names it: the latest day folder that holds anything,
// or an archive lying in a month folder; empty when there is none.
[[nodiscard]] std::string FindNewestBackup(std::string_view root);

// `root` is the CP932 destination folder ending in a backslash; any other
// text (an empty one above all) sweeps nothing.
void SweepDestination(const SweepContext& context, std::string_view root);

// What a month folder's listing held, for whether the folder may go.
enum class MonthListing {
  kEmpty,     // nothing but "." and "..", or unlistable, or cancelled before its first entry
  kNotEmpty,  // anything else, deleted or not
};

// Sweeps one month folder (`month_path` = root + month + backslash).
[[nodiscard]] MonthListing SweepMonthFolder(const SweepContext& context,
                                            std::string_view month_path,
                                            std::string_view month_name,
                                            std::string_view day_cut_off,
                                            std::string_view archive_prefix, bool selective);

// Six characters yymmdd that name a real date whose weekday is flagged.
[[nodiscard]] bool IsDeletionWeekday(const SweepContext& context, std::string_view yymmdd);

// Deletes everything in `folder` (ending in a backslash) and then the folder.
// A junction or symbolic link is never entered: the link itself is removed
// and what it points to stays. Failures are skipped; a cancel leaves the
// folder as far as it got. ERROR_SUCCESS when the folder is gone, otherwise
// why it stays (ERROR_CANCELLED after a cancel), as the deletions of
// sweep_delete.h say it.
[[nodiscard]] DWORD DeleteTree(std::wstring_view folder, const std::atomic<bool>* cancel_requested);

}  // namespace yx::backup
