#pragma once
// The backups a destination holds, as their names tell: a copy run's time
// folder yymm\dd\hhnn\ and an archive run's yymm\dd\yymmdd_hhnn.lzh. Both are
// called by the same id, yymmdd_hhnn, which is also what a user and a script
// name a backup by; an archive of the same minute as a copy is called by its
// file name instead.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/date_time.h"

namespace yx::restore {

enum class BackupKind { kCopy, kArchive };

// "COPY" or "LZH", as the listing writes the kind.
[[nodiscard]] std::string_view KindName(BackupKind kind);

struct BackupRef {
  std::string id;  // yymmdd_hhnn
  BackupKind kind = BackupKind::kCopy;
  // Below the destination root, CP932: "2601\05\0905\" or "2601\05\260105_0905.lzh".
  std::string relative;
};

// The backup that the month folder, day folder and time folder names make,
// or nothing when one of them is not such a name (an hour past 23 included).
[[nodiscard]] std::optional<BackupRef> CopyBackupOf(std::string_view month, std::string_view day,
                                                    std::string_view time);
// The archive of that name in that day folder; an archive whose date is not
// its folders' is no backup of this layout.
[[nodiscard]] std::optional<BackupRef> ArchiveBackupOf(std::string_view month, std::string_view day,
                                                       std::string_view file);

// The id's date and time, or nothing when it names none.
[[nodiscard]] std::optional<DateTime> TimeOfId(std::string_view id);
// "26/01/05 09:05", as the window shows a backup's time ("26/01/05 09:05
// (LZH)" for an archive told apart from a copy of its minute).
[[nodiscard]] std::string ShownTime(std::string_view id);

// Newest first: by date (a 1999 backup before a 2001 one), copy before
// archive at the same minute.
void SortNewestFirst(std::vector<BackupRef>& backups);

// An archive written in the same minute as a copy would share its id, and
// could then never be named: such an archive's id becomes its file name,
// "yymmdd_hhnn.lzh" (`refs` sorted as SortNewestFirst sorts them).
void TellSameMinuteApart(const std::vector<BackupRef*>& refs);

// Whether `id`, as a user or a script gives it, names `ref`: its id, or for
// an archive its file name (letter case aside), which names it always.
[[nodiscard]] bool NamesBackup(std::string_view id, const BackupRef& ref);

}  // namespace yx::restore
