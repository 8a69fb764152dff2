#include "run/folder_place.h"

#include "backup/backup_names.h"
#include "base/cp932.h"
#include "settings/settings_file.h"
#include "win/clock.h"
#include "win/fault_line.h"
#include "win/file_system.h"
#include "win/text.h"
#include "win/tree_walk.h"
#include "win/whole_file.h"

namespace yx::run {

std::string ProgramFolder(const std::wstring& exe_path) {
  return cp932::WithTrailingBackslash(cp932::FolderPart(win::FromWide(exe_path)));
}

bool UnattendedCommandLine(const std::vector<std::string>& args) {
  return args.size() == 1 && args[0] == "/AUTO";
}

bool SystemFolderProbe::FolderExists(const std::string& path) const {
  return win::FolderExists(path);
}

bool SystemFolderProbe::FolderIsWithin(const std::string& inner, const std::string& outer) const {
  return win::FolderIsWithin(win::WidePath(inner), win::WidePath(outer));
}

namespace {

// The name a source's copy is given in the target: its full path's last part.
std::wstring LastFolderName(const std::string& source) {
  const std::string full = cp932::WithTrailingBackslash(
      win::FromWide(win::WidePath(cp932::WithTrailingBackslash(source))));
  const std::optional<backup::SourceSplit> split = backup::SplitSource(full);
  if (!split) return {};
  std::wstring name = win::ToWide(split->name);
  if (!name.empty() && name.back() == L'\\') name.pop_back();
  return name;
}

}  // namespace

bool SystemFolderProbe::SameLastFolderName(const std::string& source,
                                           const std::string& other) const {
  // As the file system matches names: case folded by the system's own table
  // (full-width letters too), nothing else folded: ＡＢ and AB are two folders.
  const std::wstring a = LastFolderName(source);
  const std::wstring b = LastFolderName(other);
  return !a.empty() && ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

LockTake FolderPlace::TakeRunLock(std::string& failure) {
  DWORD error = 0;
  std::optional<FolderLock> lock = FolderLock::Take(app_dir_, L"run", 0, error);
  if (lock) {
    run_lock_.emplace(std::move(*lock));
    return LockTake::kTaken;
  }
  if (error == 0) return LockTake::kBusy;
  failure = win::ErrorReason(error);
  return LockTake::kFailed;
}

DateTime FolderPlace::Now() { return win::Now(); }

void FolderPlace::LoadLog(log::RunLog& log, const std::string& path) { log.LoadLog(path); }

void FolderPlace::SaveLog(log::RunLog& log, const std::string& path) {
  // Another process may be saving the same log (a run refused while this one
  // goes on): one read-add-replace at a time, or one save would drop the
  // other's lines. A save never takes long; past the wait, or without a
  // lock at all, it goes ahead: the file is replaced whole either way.
  DWORD error = 0;
  const std::optional<FolderLock> turn = FolderLock::Take(app_dir_, L"log", 30000, error);
  log.SaveLog(path);
}

void FolderPlace::SaveSettings(const settings::Settings& settings) {
  settings::SaveSettings(settings, app_dir_ + std::string(settings::kFileName));
}

void FolderPlace::AppendToFallback(const std::string& entry) {
  // Rewritten whole, as the log is: a full disk leaves it as it was (or
  // absent), never empty or cut short. Nothing is left to report a failure to.
  const std::wstring wide = win::ToLongPath(win::WidePath(app_dir_ + "log-error.txt"));
  std::string bytes;
  if (wide.empty() || win::ReadWholeFile(wide, bytes) == win::ReadResult::Failed) return;
  bytes += entry;
  (void)win::ReplaceWholeFile(wide, bytes, "log-error-save");
}

backup::RunOutcome FolderPlace::Backup(const backup::RunRequest& request, DateTime run_start,
                                       backup::ProgressSink& progress, log::RunLog& log) {
  const backup::RunClock clock{[] { return win::Now(); }, ticks_};
  return backup::RunBackup(request, run_start, clock, progress, log);
}

}  // namespace yx::run
