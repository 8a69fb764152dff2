#include "backup/sweep.h"

#include <windows.h>

#include "backup/backup_names.h"
#include "backup/sweep_delete.h"
#include "base/cp932.h"
#include "win/file_system.h"
#include "win/text.h"

namespace yx::backup {
namespace {

bool Cancelled(const SweepContext& context) {
  return context.cancel_requested != nullptr && *context.cancel_requested;
}

void LogDeleted(const SweepContext& context, std::string_view folder, std::string_view name) {
  if (!context.log_line) return;
  std::string line(folder);
  line += name;
  line += " を削除しました";
  context.log_line(line);
}

// The day cut-off "99" takes every day folder of a month before the cut-off month.
constexpr std::string_view kEveryDay = "99";

}  // namespace

void SweepDestination(const SweepContext& context, std::string_view root) {
  // An empty root would list the current drive's root folder.
  if (root.empty() || !cp932::EndsWithBackslash(root)) return;
  const CutOffTexts cut =
      MakeCutOffTexts(context.kill_on, context.kill_limit, context.del_on, context.del_limit);
  const std::wstring wide_root = win::WidePath(root);
  win::ForEachEntry(wide_root, [&](const WIN32_FIND_DATAW& e) {
    if (Cancelled(context)) return false;
    if (!win::IsFolder(e)) return true;
    const std::string month = win::FromWide(e.cFileName);
    if (!IsMonthFolderName(month)) return true;
    const std::string month_path = std::string(root) + month + '\\';
    const std::wstring wide_month_path = wide_root + e.cFileName + L'\\';

    if (SortsBefore(month, cut.kill_month)) {
      DeleteTree(wide_month_path, context.cancel_requested);
      LogDeleted(context, root, month);
      return true;
    }
    // What a link points to is not part of the backup: it may go whole, as a
    // link, but is never swept inside.
    if (win::IsLink(e)) return true;

    if (month == cut.kill_month && SweepMonthFolder(context, month_path, month, cut.kill_day,
                                                    cut.kill_archive_prefix, false) == 0) {
      DeleteTree(wide_month_path, context.cancel_requested);
      return true;
    }
    int swept = -1;
    if (SortsBefore(month, cut.del_month)) {
      swept = SweepMonthFolder(context, month_path, month, kEveryDay, cut.del_archive_prefix, true);
    } else if (month == cut.del_month) {
      swept =
          SweepMonthFolder(context, month_path, month, cut.del_day, cut.del_archive_prefix, true);
    }
    if (swept == 0) RemoveEmptyFolder(wide_month_path);
    return true;
  });
}

int SweepMonthFolder(const SweepContext& context, std::string_view month_path,
                     std::string_view month_name, std::string_view day_cut_off,
                     std::string_view archive_prefix, bool selective) {
  int result = 0;
  const std::wstring wide_path = win::WidePath(month_path);
  win::ForEachEntry(wide_path, [&](const WIN32_FIND_DATAW& e) {
    if (Cancelled(context)) return false;
    if (win::IsDotEntry(e)) return true;
    result = 2;
    const std::string name = win::FromWide(e.cFileName);
    if (win::IsFolder(e)) {
      if (!IsDayFolderName(name) || SortsBefore(day_cut_off, name)) return true;
      if (selective && !IsDeletionWeekday(context, std::string(month_name) + name)) return true;
      DeleteTree(wide_path + e.cFileName + L'\\', context.cancel_requested);
    } else {
      if (!IsArchiveFileName(name) || !name.starts_with(archive_prefix)) return true;
      if (selective && !IsDeletionWeekday(context, std::string_view(name).substr(0, 6))) {
        return true;
      }
      DeleteBackupFile(wide_path + e.cFileName);
    }
    LogDeleted(context, month_path, name);
    return true;
  });
  return result;
}

bool IsDeletionWeekday(const SweepContext& context, std::string_view yymmdd) {
  const std::optional<DateTime> date = DateOfName(yymmdd);
  return date && context.deletion_day && context.deletion_day(WeekdayMondayFirst(*date));
}

}  // namespace yx::backup
