#include "backup/sweep.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "backup/backup_names.h"
#include "backup/sweep_delete.h"
#include "base/cp932.h"
#include "win/fault_line.h"
#include "win/file_system.h"
#include "win/text.h"
#include "win/tree_walk.h"

namespace yx::backup {
namespace {

bool Cancelled(const SweepContext& context) {
  return context.cancel_requested != nullptr && *context.cancel_requested;
}

void Log(const SweepContext& context, std::string_view folder, std::string_view name,
         std::string_view what) {
  if (!context.log_line) return;
  std::string line(folder);
  line += name;
  line += what;
  context.log_line(line);
}

// Said as it is: a backup that keeps what could not be deleted (an open
// file, a link Wine cannot remove safely) is not reported as deleted.
void LogDeleted(const SweepContext& context, std::string_view folder, std::string_view name,
                DWORD error) {
  Log(context, folder, name,
      error == ERROR_SUCCESS ? std::string(" を削除しました")
                             : " を削除できませんでした: " + win::ErrorReason(error));
}

// The newest backup stays, expired or not; said once per run.
bool KeptAsNewest(const SweepContext& context, std::string_view folder, std::string_view month,
                  std::string_view name) {
  if (context.newest.empty() || context.newest != std::string(month) + '\\' + std::string(name))
    return false;
  if (context.newest_logged == nullptr || !*context.newest_logged)
    Log(context, folder, name, " は最新のバックアップのため残しました");
  if (context.newest_logged != nullptr) *context.newest_logged = true;
  return true;
}

// A file somewhere below the folder, reached without a link: a run that
// backed up nothing leaves its folders, and they are no backup to keep.
bool HoldsAFile(const std::wstring& folder) {
  win::TreeWalk walk(folder);
  for (win::TreeWalk::Step step = walk.Next(); step != win::TreeWalk::Step::kEnd;
       step = walk.Next()) {
    if (step != win::TreeWalk::Step::kEntry || walk.Current().IsLink()) continue;
    if (!walk.Current().IsFolder()) return true;
    walk.Descend();
  }
  return false;
}

// The day cut-off "99" takes every day folder of a month before the cut-off month.
constexpr std::string_view kEveryDay = "99";

}  // namespace

std::string FindNewestBackup(std::string_view root) {
  if (root.empty() || !cp932::EndsWithBackslash(root)) return {};
  const std::wstring wide_root = win::WidePath(root);
  // (date order key, name below the root)
  std::vector<std::pair<std::string, std::string>> found;
  (void)win::ForEachEntry(wide_root, [&](const WIN32_FIND_DATAW& m) {
    const std::string month = win::FromWide(m.cFileName);
    // What a link leads to is no backup of this destination.
    if (!win::IsFolder(m) || win::IsLink(m) || !IsMonthFolderName(month)) return true;
    const std::wstring month_path = wide_root + m.cFileName + L'\\';
    (void)win::ForEachEntry(month_path, [&](const WIN32_FIND_DATAW& e) {
      const std::string name = win::FromWide(e.cFileName);
      if (win::IsFolder(e) && !win::IsLink(e) && IsDayFolderName(name)) {
        found.emplace_back(DateOrderKey(month + name), month + '\\' + name);
      } else if (!win::IsFolder(e) && IsArchiveFileName(name) &&
                 DateOfName(std::string_view(name).substr(0, 6))) {
        found.emplace_back(DateOrderKey(name), month + '\\' + name);
      }
      return true;
    });
    return true;
  });
  std::sort(found.begin(), found.end(), std::greater<>());
  for (const auto& [key, name] : found) {
    // A day folder without a file (left by a run that failed before it
    // wrote any, or that found nothing to back up) is no backup to keep.
    if (IsArchiveFileName(name) || HoldsAFile(win::WidePath(std::string(root) + name + '\\')))
      return name;
  }
  return {};
}

void SweepDestination(const SweepContext& given, std::string_view root) {
  // An empty root would list the current drive's root folder.
  if (root.empty() || !cp932::EndsWithBackslash(root)) return;
  SweepContext context = given;
  context.newest = FindNewestBackup(root);
  bool newest_logged = false;
  context.newest_logged = &newest_logged;
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
      if (context.newest.starts_with(month + '\\')) {
        // Everything of the month but the newest backup.
        (void)SweepMonthFolder(context, month_path, month, kEveryDay, month, false);
        return true;
      }
      LogDeleted(context, root, month, DeleteTree(wide_month_path, context.cancel_requested));
      return true;
    }
    // What a link points to is not part of the backup: it may go whole, as a
    // link, but is never swept inside.
    if (win::IsLink(e)) return true;

    // A month left empty goes quietly: it was no backup of its own. What
    // stays of it is found again by the next sweep.
    if (month == cut.kill_month &&
        SweepMonthFolder(context, month_path, month, cut.kill_day, cut.kill_archive_prefix,
                         false) == MonthListing::kEmpty) {
      (void)DeleteTree(wide_month_path, context.cancel_requested);
      return true;
    }
    std::optional<MonthListing> swept;
    if (SortsBefore(month, cut.del_month)) {
      swept = SweepMonthFolder(context, month_path, month, kEveryDay, cut.del_archive_prefix, true);
    } else if (month == cut.del_month) {
      swept =
          SweepMonthFolder(context, month_path, month, cut.del_day, cut.del_archive_prefix, true);
    }
    if (swept == MonthListing::kEmpty) (void)RemoveEmptyFolder(wide_month_path);
    return true;
  });
}

MonthListing SweepMonthFolder(const SweepContext& context, std::string_view month_path,
                              std::string_view month_name, std::string_view day_cut_off,
                              std::string_view archive_prefix, bool selective) {
  MonthListing result = MonthListing::kEmpty;
  const std::wstring wide_path = win::WidePath(month_path);
  win::ForEachEntry(wide_path, [&](const WIN32_FIND_DATAW& e) {
    if (Cancelled(context)) return false;
    if (win::IsDotEntry(e)) return true;
    result = MonthListing::kNotEmpty;
    const std::string name = win::FromWide(e.cFileName);
    if (win::IsFolder(e)) {
      if (!IsDayFolderName(name) || SortsBefore(day_cut_off, name)) return true;
      if (selective && !IsDeletionWeekday(context, std::string(month_name) + name)) return true;
      if (KeptAsNewest(context, month_path, month_name, name)) return true;
      LogDeleted(context, month_path, name,
                 DeleteTree(wide_path + e.cFileName + L'\\', context.cancel_requested));
    } else {
      if (!IsArchiveFileName(name) || !name.starts_with(archive_prefix)) return true;
      if (selective && !IsDeletionWeekday(context, std::string_view(name).substr(0, 6))) {
        return true;
      }
      if (KeptAsNewest(context, month_path, month_name, name)) return true;
      LogDeleted(context, month_path, name, DeleteBackupFile(wide_path + e.cFileName));
    }
    return true;
  });
  return result;
}

bool IsDeletionWeekday(const SweepContext& context, std::string_view yymmdd) {
  const std::optional<DateTime> date = DateOfName(yymmdd);
  return date && context.deletion_day && context.deletion_day(WeekdayMondayFirst(*date));
}

}  // namespace yx::backup
