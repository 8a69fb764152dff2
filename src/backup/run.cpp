#include "backup/run.h"

#include <optional>
#include <string>
#include <vector>

#include "backup/archive_catalog.h"
#include "backup/archive_leftovers.h"
#include "backup/archive_tally.h"
#include "backup/backup_names.h"
#include "backup/catalog_file.h"
#include "backup/earlier_copy.h"
#include "backup/fault_lines.h"
#include "backup/sweep.h"
#include "backup/tree_copier.h"
#include "backup/unlha32.h"
#include "base/byte_size.h"
#include "base/cp932.h"
#include "base/exclusion.h"
#include "win/file_system.h"
#include "win/pause_point.h"
#include "win/text.h"
#include "win/writing_mark.h"

namespace yx::backup {
namespace {

// The first folder on the way from `root` (ending in a backslash) to
// `target` below it that is a link, without a final backslash; "" for
// none. A month or day folder that leads elsewhere would take the backup
// out of the destination: out of every list, of the link base and of the
// sweep.
std::wstring LinkOnTheWay(const std::wstring& root, const std::wstring& target) {
  for (size_t at = target.find(L'\\', root.size()); at != std::wstring::npos;
       at = target.find(L'\\', at + 1)) {
    const std::wstring folder = target.substr(0, at);
    const DWORD attributes = win::Attributes(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES) return {};
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return folder;
  }
  return {};
}

// What the archiver may say about the files it could not read: room for the
// lines the log shows and more.
constexpr DWORD kArchiverOutput = 256 * 1024;

// Why a source is no folder to back up, for the line that names it.
DWORD NoFolderError(const std::string& source) {
  if (win::Attributes(win::WidePath(source)) != INVALID_FILE_ATTRIBUTES) return ERROR_DIRECTORY;
  return ::GetLastError();
}

// The archiver's switches that leave out what the copier would: a pattern
// may hold blanks, never a quote.
std::string ExclusionSwitches(const settings::Settings& s) {
  std::string switches;
  for (const std::string& row : s.exclusions)
    if (IsUsableExclusion(row)) switches += "-ex:\"" + row + "\" ";
  if (s.exclusion_size_mb > 0)
    switches += "-es:" + std::to_string(uint64_t(s.exclusion_size_mb) * 1024 * 1024) + " ";
  return switches;
}

// The line that counts what the exclusions left out, and a second one when
// that was every file.
void LogExcluded(const ExclusionTally& excluded, int32_t files_left,
                 const std::function<void(std::string_view)>& log_line) {
  if (excluded.files == 0) return;
  log_line("除外: " + std::to_string(excluded.files) + " 件 (" + FormatByteSize(excluded.bytes) +
           ")");
  if (files_left == 0) log_line("すべてのファイルが除外されました");
}

std::string ArchiveName(DateTime backup_time) {
  return FormatDateTime("yymmdd_hhnn", backup_time) + ".lzh";
}

// The lines of the archiver's output.
std::vector<std::string> OutputLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// One archiver command per source into one archive. What the archiver could
// not read is named and the next source goes on; any other failure ends the
// pass here. Each file the archiver takes moves the progress; an abort stops
// it at the next one, and an archive this run began is removed, since it
// would pass for a whole backup. True when every command succeeded.
bool ArchiveSources(const settings::Settings& s, const std::string& target, DateTime backup_time,
                    const std::vector<std::string>& sources, ProgressSink& progress,
                    FaultLines& faults) {
  RemoveArchiveLeftovers(win::WidePath(target));
  const std::string archive = ArchiveName(backup_time);
  const std::wstring wide_archive = win::WidePath(target + archive);
  const bool began_here = win::Attributes(wide_archive) == INVALID_FILE_ATTRIBUTES;
  (void)unlha32::UnlhaSetBackGroundMode(FALSE);
  const std::string head = "a -x1 -r2 " + ExclusionSwitches(s) + "\"" + target + archive + "\" ";
  int32_t taken_files = 0;
  const unlha32::EntryTaken taken = [&](std::string_view, uint64_t) {
    progress.ShowCopied(++taken_files);
    win::PausePoint("archive-file");
    return !progress.CancelRequested();
  };
  bool complete = true;
  for (const std::string& source : sources) {
    const std::optional<SourceSplit> split = SplitSource(source);
    // A drive root has no parent: the whole root is the file argument.
    const std::string parent = split ? split->parent : std::string();
    const std::string name = split ? split->name : source;
    std::string output;
    const std::string command = head + "\"" + parent + "\" \"" + name + "*\"";
    // The archiver shows no window of its own: it needs no owner.
    const int result = unlha32::Unlha(nullptr, command, output, kArchiverOutput, taken);
    if (result == 0) continue;
    complete = false;
    if (result == unlha32::kCancelled || progress.CancelRequested()) {
      if (began_here) (void)::DeleteFileW(win::ToLongPath(wide_archive).c_str());
      break;
    }
    for (const std::string& line : OutputLines(output)) faults.Add(line);
    if (result != unlha32::kSomeSourcesUnreadable) break;
  }
  return complete;
}

// The sweep, the dated target folder, the count and the backup of every
// source. True when everything was backed up.
bool BackupPass(const settings::Settings& s, const settings::CutOffs& cut_offs,
                const FileLinker::MakeLink& make_link, const RunClock& clock,
                ProgressSink& progress, log::RunLog& log) {
  const DateTime backup_time = clock.now();
  const bool archive_mode = s.use_lha;
  const std::string root = RunFolder(s.destination);
  const auto log_line = [&log](std::string_view line) { log.LogLine(line); };

  SweepContext sweep;
  sweep.kill_on = s.kill_use;
  sweep.kill_limit = cut_offs.kill_limit;
  sweep.del_on = s.del_use;
  sweep.del_limit = cut_offs.del_limit;
  sweep.deletion_day = [&s](int weekday) { return s.del_days[static_cast<size_t>(weekday)]; };
  sweep.cancel_requested = &progress.CancelRequested();
  sweep.log_line = log_line;
  SweepDestination(sweep, root);

  const std::string target =
      root + FormatDateTime(archive_mode ? "yymm\\dd\\" : "yymm\\dd\\hhnn\\", backup_time);
  // A copy fills its time folder in place, where a restore could take it for
  // a whole backup; an archive stays under a name of its own until complete.
  const std::wstring wide_target = win::WidePath(target);
  std::optional<win::WritingMark> writing;
  if (!archive_mode) writing.emplace(wide_target);
  // A second copy run in the same minute finds the folder made: its catalog
  // is the first run's, never to be replaced.
  const bool own_folder = !archive_mode && !win::FolderExists(wide_target);
  if (const std::wstring link = LinkOnTheWay(win::WidePath(root), wide_target); !link.empty()) {
    log_line("PATH=" + win::FromWide(link) + " はリンクなので、その先にはバックアップしません");
    return false;
  }
  if (!win::CreateFolderTree(wide_target)) {
    log_line(win::FaultLine(win::Failure::Last("CreateDirectoryW").At(wide_target)));
    return false;
  }

  std::vector<std::string> sources;
  for (const std::string& cell : s.sources)
    if (!cell.empty()) sources.push_back(RunFolder(cell));

  TreeCopier copier(progress, clock.ticks_ms);
  copier.ExcludeFolder(win::WidePath(root));
  copier.SetExclusions(RunExclusions(s));
  // The count is what the progress of both modes is measured against.
  bool some_empty = false;
  for (const std::string& source : sources) {
    if (!win::FolderExists(source)) {
      log_line(win::FaultLine(win::WidePath(source), NoFolderError(source)));
      return false;
    }
    const int32_t before = copier.FileTotal();
    if (!copier.CountFiles(win::WidePath(source))) return false;
    // A share that came up empty, a folder emptied by mistake: a backup of
    // nothing would pass for a good one and let the real ones expire.
    if (copier.FileTotal() == before) {
      log_line("PATH=" + source + " にはバックアップするファイルがありません");
      some_empty = true;
    }
  }
  LogExcluded(copier.Excluded(), copier.FileTotal(), log_line);
  if (some_empty) return false;
  copier.ShowTotal();

  // Whatever could not be backed up is named in the log, and the run goes on
  // with the rest: one locked file must not cost every other file its backup.
  // The run then ends with the failure line all the same.
  FaultLines faults(log_line);
  bool complete = true;
  catalog::Catalog kept;
  kept.run.id = FormatDateTime("yymmdd_hhnn", backup_time);
  kept.run.sources = sources;
  if (archive_mode) {
    complete = ArchiveSources(s, target, backup_time, sources, progress, faults);
    faults.Finish();
    const std::wstring archive = win::WidePath(target + kept.run.id + ".lzh");
    if (win::Attributes(archive) == INVALID_FILE_ATTRIBUTES) return complete;
    log_line(ArchiveTallyLine(archive));
    kept.run.kind = catalog::Kind::kArchive;
    std::string failure;
    if (!CatalogArchive(archive, kept, failure)) {
      log_line(failure);
      return false;
    }
    return WriteRunCatalog(archive, kept,
                           complete ? catalog::Outcome::kDone : catalog::Outcome::kFailed, 0,
                           log_line) &&
           complete;
  }

  if (s.link_use) copier.UseLinks(make_link);
  for (const std::string& source : sources) {
    const std::optional<SourceSplit> split = SplitSource(source);
    const std::wstring source_target = split ? win::WidePath(target + split->name) : L"";
    // A second run in the same minute finds its folders made: nothing of
    // this one may mix with that backup.
    if (!win::FolderExists(source)) {
      faults.Add(win::WidePath(source), NoFolderError(source));
      complete = false;
      break;
    }
    if (!split) {
      // A drive root has no name to give its copy.
      faults.Add(win::WidePath(source), ERROR_INVALID_NAME);
      complete = false;
      break;
    }
    if (!win::CreateOneFolder(source_target)) {
      faults.Add(win::FaultLine(win::Failure::Last("CreateDirectoryW").At(source_target)));
      complete = false;
      break;
    }
    const auto fault = [&](const std::wstring& path, DWORD error) { faults.Add(path, error); };
    const std::wstring name = win::ToWide(split->name);
    const LinkBase base =
        s.link_use ? FindLinkBase(win::WidePath(root), backup_time, name) : LinkBase{};
    kept.entries.push_back({.path = {name.begin(), name.end() - 1}, .folder = true, .hash = {}});
    copier.KeepCatalog({&kept.entries, kept.entries.back().path, base.catalog.get()});
    if (!copier.CopyTree(source_target, win::WidePath(source), fault, base.folder)) {
      complete = false;
      if (progress.CancelRequested()) break;
    }
  }
  faults.Finish();
  if (s.link_use) log_line(TallyLine(copier.Tally()));
  const catalog::Outcome outcome = complete                     ? catalog::Outcome::kDone
                                   : progress.CancelRequested() ? catalog::Outcome::kCancelled
                                                                : catalog::Outcome::kFailed;
  if (own_folder &&
      !WriteRunCatalog(wide_target, kept, outcome, copier.Tally().copied_bytes, log_line))
    return false;
  return complete;
}

}  // namespace

std::string RunFolder(const std::string& typed) {
  // The backslash goes on first: "Q:" alone would be made the current
  // folder of drive Q.
  return cp932::WithTrailingBackslash(
      win::FromWide(win::WidePath(cp932::WithTrailingBackslash(typed))));
}

Exclusions RunExclusions(const settings::Settings& s) {
  return Exclusions(s.exclusions, uint64_t(s.exclusion_size_mb) * 1024 * 1024);
}

RunOutcome RunBackup(const RunRequest& request, DateTime run_start, const RunClock& clock,
                     ProgressSink& progress, log::RunLog& log) {
  log.Append("START=" + FormatDateTime(log::kStamp, run_start));
  const bool archive_mode = request.settings.use_lha;
  std::optional<settings::CutOffs> cut_offs;
  if (archive_mode && !request.archiver_present)
    log.LogLine("Unlha32.dll が見つかりません。");
  else if (request.check)
    cut_offs = request.check(run_start);
  if (!cut_offs) {
    log.LogLine("異常終了しました。");
    log.Append("END=" + FormatDateTime(log::kStamp, clock.now()));
    return RunOutcome::kRefused;
  }
  progress.CancelRequested() = false;
  progress.BackupBegins(!archive_mode);
  RunOutcome outcome = RunOutcome::kFailed;
  if (BackupPass(request.settings, *cut_offs, request.make_link, clock, progress, log))
    outcome = RunOutcome::kDone;
  else if (progress.CancelRequested())
    outcome = RunOutcome::kCancelled;
  constexpr const char* kOutcomeLines[] = {"", "バックアップ正常終了", "バックアップを中断しました",
                                           "バックアップの作成に失敗しました"};
  log.LogLine(kOutcomeLines[static_cast<int>(outcome)]);
  progress.BackupEnds(!archive_mode);
  const DateTime run_end = clock.now();
  log.LogLine("処理時間=" + FormatDuration(run_end - run_start));
  log.Append("END=" + FormatDateTime(log::kStamp, run_end));
  return outcome;
}

}  // namespace yx::backup
