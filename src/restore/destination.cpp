#include "restore/destination.h"

#include <algorithm>
#include <set>

#include "backup/archive_leftovers.h"
#include "backup/backup_names.h"
#include "restore/archive_backup.h"
#include "restore/copy_backup.h"
#include "win/failure.h"
#include "win/file_system.h"
#include "win/own_file.h"
#include "win/pause_point.h"
#include "win/text.h"
#include "win/whole_file.h"
#include "win/writing_mark.h"

namespace yx::restore {
namespace {

// The names of the folders of `folder`, CP932, and of the links among them;
// false when it cannot be listed.
bool FolderNames(FileAccess& access, const std::wstring& folder, std::vector<std::string>& names,
                 std::vector<std::string>& links) {
  return access.List(folder, [&](const WIN32_FIND_DATAW& e) {
    if (!win::IsDotEntry(e) && win::IsFolder(e))
      (win::IsLink(e) ? links : names).push_back(win::FromWide(e.cFileName));
    return true;
  });
}

std::string LinkLeftOut(const std::wstring& path) {
  return win::FromWide(path) +
         ": リンクです。リンク先はこのバックアップ先のものではないため、読みません。";
}

std::string PreviousMonth(const std::string& yymm) {
  const int yy = std::stoi(yymm.substr(0, 2)), mm = std::stoi(yymm.substr(2));
  char text[8];
  std::snprintf(text, sizeof text, "%02d%02d", mm == 1 ? (yy + 99) % 100 : yy,
                mm == 1 ? 12 : mm - 1);
  return text;
}

// The runs of the months the backups were made in, and of the months
// before them: a run that starts in the last minute of a month logs into
// that month's file.
std::vector<LoggedRun> RunsOf(const std::set<std::string>& months, const std::wstring& log_dir) {
  std::vector<LoggedRun> runs;
  if (log_dir.empty()) return runs;
  std::set<std::string> files;
  for (const std::string& month : months) {
    files.insert(month);
    files.insert(PreviousMonth(month));
  }
  for (const std::string& month : files) {
    std::string text;
    if (win::ReadWholeFile(log_dir + win::ToWide(month) + L".log", text) != win::ReadResult::Read)
      continue;
    for (LoggedRun& run : LoggedRuns(text)) runs.push_back(std::move(run));
  }
  return runs;
}

}  // namespace

const FoundBackup* Destination::Find(std::string_view id) const {
  for (const FoundBackup& b : backups)
    if (NamesBackup(id, b.ref) && !b.incomplete) return &b;
  return nullptr;
}

Destination ScanDestination(const std::wstring& root_in, const std::wstring& log_dir,
                            FileAccess& access, const std::atomic<bool>* stop) {
  Destination d;
  d.root = win::FullPath(root_in);
  if (d.root.empty() || d.root.back() != L'\\') d.root += L'\\';
  const std::string shown = win::FromWide(d.root);
  const DWORD attributes = win::Attributes(d.root);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    d.fault = "バックアップ先 " + shown + " がありません。";
    return d;
  }
  std::vector<std::string> months, links;
  if (!FolderNames(access, d.root, months, links)) {
    const win::Failure failure = win::Failure::Last("FindFirstFileW");
    d.fault = "バックアップ先 " + shown + " を読めません: " + failure.Reason();
    return d;
  }
  std::vector<FoundBackup> found;
  std::set<std::string> logged_months;
  // Made long once: each backup's mark is then named without a look-up.
  std::wstring long_root = win::LongFullPath(d.root);
  if (long_root.empty() || long_root.back() != L'\\') long_root += L'\\';
  for (const std::string& link : links)
    if (backup::IsMonthFolderName(link))
      d.left_out.push_back(LinkLeftOut(d.root + win::ToWide(link)));
  for (const std::string& month : months) {
    if (stop && *stop) break;
    if (!backup::IsMonthFolderName(month)) continue;
    const std::wstring month_folder = d.root + win::ToWide(month) + L"\\";
    std::vector<std::string> days, day_links;
    (void)FolderNames(access, month_folder, days, day_links);
    for (const std::string& link : day_links)
      if (backup::IsDayFolderName(link))
        d.left_out.push_back(LinkLeftOut(month_folder + win::ToWide(link)));
    for (const std::string& day : days) {
      win::PausePoint("restore-list-day");
      if (stop && *stop) break;
      const std::wstring day_folder = month_folder + win::ToWide(day + "\\");
      std::vector<std::string> times, files;
      (void)access.List(day_folder, [&](const WIN32_FIND_DATAW& e) {
        if (win::IsDotEntry(e)) return true;
        const std::string name = win::FromWide(e.cFileName);
        if (win::IsLink(e)) {
          if (win::IsFolder(e) ? CopyBackupOf(month, day, name).has_value()
                               : ArchiveBackupOf(month, day, name).has_value())
            d.left_out.push_back(LinkLeftOut(day_folder + e.cFileName));
        } else {
          (win::IsFolder(e) ? times : files).push_back(name);
        }
        return true;
      });
      // Only a catalog the day folder holds is read.
      const auto catalogued = [&files](const std::string& name) {
        return std::ranges::find(files, name + ".catalog") != files.end();
      };
      for (const std::string& time : times)
        if (const std::optional<BackupRef> ref = CopyBackupOf(month, day, time)) {
          const std::wstring path = day_folder + win::ToWide(time) + L"\\";
          const bool writing =
              win::IsLongBeingWritten(long_root + win::ToWide(month + "\\" + day + "\\" + time));
          found.push_back({*ref, path, writing, std::nullopt, {}});
          if (!found.back().incomplete && catalogued(time))
            found.back().catalog = ReadCatalogRun(access, path);
        }
      for (const std::string& file : files) {
        // An archive being written (or left unfinished by a killed run)
        // carries the process's id after the archive's own name.
        const bool unfinished = backup::ArchiveTempOwner(file) != 0;
        if (const std::optional<BackupRef> ref =
                ArchiveBackupOf(month, day, unfinished ? file.substr(0, 15) : file)) {
          // Wine lists a Linux link to a file as a plain file.
          if (!unfinished &&
              win::CheckOwnFile(day_folder + win::ToWide(file)) == win::kReachedThroughLink) {
            d.left_out.push_back(LinkLeftOut(day_folder + win::ToWide(file)));
            continue;
          }
          found.push_back({*ref, day_folder + win::ToWide(file), unfinished, std::nullopt, {}});
          if (!unfinished && catalogued(file))
            found.back().catalog = ReadCatalogRun(access, found.back().path);
        }
      }
      if (!found.empty()) logged_months.insert(month);
    }
  }
  if (found.empty()) {
    d.fault = shown + " にはバックアップがありません。";
    return d;
  }
  std::vector<BackupRef> refs;
  for (const FoundBackup& b : found) refs.push_back(b.ref);
  SortNewestFirst(refs);
  const std::vector<LoggedRun> runs = RunsOf(logged_months, log_dir);
  std::vector<bool> used(found.size());
  for (const BackupRef& ref : refs) {
    for (size_t i = 0; i < found.size(); ++i) {
      if (used[i] || found[i].ref.relative != ref.relative) continue;
      used[i] = true;
      if (const LoggedRun* run = RunOf(runs, ref.id)) found[i].run = *run;
      d.backups.push_back(std::move(found[i]));
    }
  }
  std::vector<BackupRef*> sorted;
  for (FoundBackup& b : d.backups) sorted.push_back(&b.ref);
  TellSameMinuteApart(sorted);
  return d;
}

std::unique_ptr<BackupEntries> OpenBackup(const FoundBackup& backup) {
  if (backup.ref.kind == BackupKind::kCopy) return std::make_unique<CopyBackup>(backup.path);
  return std::make_unique<ArchiveBackup>(backup.path);
}

}  // namespace yx::restore
