// One backup run, from its "START=" line to its "END=" line, and the backup
// pass behind it: sweep, dated target folder, counting pass, then the copy of
// every source tree or one archiver command per source.
#include "app/folder_lock.h"
#include "app/settings_form.h"
#include "backup/archive_leftovers.h"
#include "backup/backup_names.h"
#include "backup/fault_lines.h"
#include "backup/progress_form.h"
#include "backup/sweep.h"
#include "backup/unlha32.h"
#include "base/cp932.h"
#include "base/file_error.h"
#include "win/clock.h"
#include "win/file_system.h"
#include "win/text.h"

namespace yx::app {
namespace {

constexpr char kStamp[] = "yy/mm/dd hh:nn:ss";

// What the archiver may say about the files it could not read: room for the
// lines the log shows and more.
constexpr DWORD kArchiverOutput = 256 * 1024;

// A folder as the user typed it, made full ("." and ".." resolved, doubled
// backslashes joined) and ending in a backslash: the form every path of the
// run, its log lines and the archiver's command are built from.
std::string RunFolder(const std::string& typed) {
  // The backslash goes on first: "Q:" alone would be made the current
  // folder of drive Q.
  return cp932::WithTrailingBackslash(
      win::FromWide(win::WidePath(cp932::WithTrailingBackslash(typed))));
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

}  // namespace

void TForm2::AttachProgressForm(backup::TForm3& progress) { progress_ = &progress; }

void TForm2::HoldCommands(bool hold) {
  for (const ui::Control* button : {&BtnSet, &BtnExec, &BtnExit}) button->SetEnabled(!hold);
}

void TForm2::EndRun(std::string_view failure_line) {
  if (!failure_line.empty()) LogLine(failure_line);
  AppendLog("END=" + FormatDateTime(kStamp, win::Now()));
  SaveRunLog();
}

void TForm2::BtnExecClick(const ui::Control* sender) {
  // A run lets messages through; a second run, a save or an exit must not
  // start in the middle of it.
  if (running_) return;
  const std::optional<FolderLock> lock = FolderLock::Take(AppDir, L"run", 0);
  if (!lock) {
    RefuseBusyRun();
    return;
  }
  running_ = true;
  HoldCommands(true);
  const DateTime run_start = win::Now();
  LogFile = LogDir + FormatDateTime("yymm", run_start) + ".log";
  ReloadRunLog();
  AppendLog("START=" + FormatDateTime(kStamp, run_start));
  const bool archive_mode = ChkLha.Checked();
  bool checked = false;
  if (archive_mode && !ArchiverPresent) {
    LogLine("Unlha32.dll が見つかりません。");
  } else {
    try {
      checked = CheckAndSaveSettings(run_start);
    } catch (const FileError& e) {
      // The settings could not be saved: the run stops as after a failed
      // check, and still closes its log.
      ReportFileError(e.what());
    }
  }
  if (!checked) {
    if (AutoMode) exit_status_ = kRunFailed;
    EndRun("異常終了しました。");
    HoldCommands(false);
    running_ = false;
    return;
  }
  CancelRequested = false;
  if (!archive_mode) progress_->StartProgress(sender == nullptr);
  app_.ProcessMessages();
  Page.SetEnabled(false);
  const bool done = RunBackup();
  if (done)
    LogLine("バックアップ正常終了");
  else if (CancelRequested)
    LogLine("バックアップを中断しました");
  else
    LogLine("バックアップの作成に失敗しました");
  // For the scheduler's "last run result"; a log that cannot be saved
  // overrides it below.
  if (AutoMode) exit_status_ = done ? 0 : kRunFailed;
  if (!archive_mode) progress_->StopProgress();
  Page.SetEnabled(true);
  const DateTime run_end = win::Now();
  LogLine("処理時間=" + FormatDuration(run_end - run_start));
  AppendLog("END=" + FormatDateTime(kStamp, run_end));
  SaveRunLog();
  HoldCommands(false);
  running_ = false;
}

bool TForm2::RunBackup() {
  const DateTime backup_time = win::Now();
  const bool archive_mode = ChkLha.Checked();
  const std::string root = RunFolder(EditTo.Text());

  backup::SweepContext sweep;
  sweep.kill_on = ChkKill.Checked();
  sweep.kill_limit = KillLimit;
  sweep.del_on = ChkDel.Checked();
  sweep.del_limit = DelLimit;
  sweep.deletion_day = [this](int weekday) {
    return ListDel.Checked(static_cast<size_t>(weekday));
  };
  sweep.cancel_requested = &CancelRequested;
  sweep.log_line = [this](const std::string& message) { LogLine(message); };
  backup::SweepDestination(sweep, root);

  const std::string target =
      root + FormatDateTime(archive_mode ? "yymm\\dd\\" : "yymm\\dd\\hhnn\\", backup_time);
  if (!win::CreateFolderTree(win::WidePath(target))) return false;

  std::vector<std::string> sources;
  for (int row = 0; row < ui::StringGrid::kRows; ++row)
    if (!EditFrom.Cell(row).empty()) sources.push_back(RunFolder(EditFrom.Cell(row)));

  progress_->ExcludeFolder(win::WidePath(root));
  for (const std::string& source : sources) {
    if (!win::FolderExists(source)) return false;
    // The count feeds the progress window, which an archive run never
    // shows (nor its abort button): there it would only cost a walk of
    // every source.
    if (!archive_mode && !progress_->CountFiles(win::WidePath(source))) return false;
  }

  // Whatever could not be backed up is named in the log, and the run goes on
  // with the rest: one locked file must not cost every other file its backup.
  // The run then ends with the failure line all the same.
  backup::FaultLines faults([this](std::string_view line) { LogLine(line); });
  bool complete = true;
  if (archive_mode) {
    backup::RemoveArchiveLeftovers(win::WidePath(target));
    const std::string archive = FormatDateTime("yymmdd_hhnn", backup_time) + ".lzh";
    (void)backup::unlha32::UnlhaSetBackGroundMode(FALSE);
    ArchiveCommandHead = "a -x1 -r2 \"" + target + archive + "\" ";
    for (const std::string& source : sources) {
      const std::optional<backup::SourceSplit> split = backup::SplitSource(source);
      // A drive root has no parent: the whole root is the file argument.
      const std::string parent = split ? split->parent : std::string();
      const std::string name = split ? split->name : source;
      ArchiveBaseArg = "\"" + parent + "\" ";
      std::string output;
      const std::string command = ArchiveCommandHead + ArchiveBaseArg + "\"" + name + "*\"";
      const int result = backup::unlha32::Unlha(hwnd_, command, output, kArchiverOutput);
      if (result == 0) continue;
      complete = false;
      for (const std::string& line : OutputLines(output)) faults.Add(line);
      // What the archiver could not read is named and the next source goes
      // on; any other failure ends the run here.
      if (result != backup::unlha32::kSomeSourcesUnreadable) break;
    }
    faults.Finish();
    return complete;
  }

  progress_->SetFileTotal();
  for (const std::string& source : sources) {
    const std::optional<backup::SourceSplit> split = backup::SplitSource(source);
    const std::wstring source_target = split ? win::WidePath(target + split->name) : L"";
    // A second run in the same minute finds its folders made: nothing of
    // this one may mix with that backup.
    if (!win::FolderExists(source) || !split || !win::CreateOneFolder(source_target)) {
      complete = false;
      break;
    }
    const auto fault = [&](const std::wstring& path, DWORD error) { faults.Add(path, error); };
    if (!progress_->CopyTree(source_target, win::WidePath(source), fault)) {
      complete = false;
      if (CancelRequested) break;
    }
  }
  faults.Finish();
  return complete;
}

}  // namespace yx::app
