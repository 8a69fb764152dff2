#pragma once
// What surrounds one backup run, for 実行 and for /AUTO alike: one run at a
// time per program folder, the month's log read before the run and saved
// after it (or, when it cannot be, put where it will be found), the settings
// checked and saved at the run's start, and the exit status that tells a
// scheduler how the run went. The session knows no window: whoever started
// the run is a SessionFront, and everything outside the process (locks,
// files, the backup itself) is reached through a SessionPlace, so tests
// drive a session with stand-ins for both.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backup/progress_sink.h"
#include "backup/run.h"
#include "base/date_time.h"
#include "log/run_log.h"
#include "settings/settings.h"
#include "settings/settings_check.h"

namespace yx::run {

enum class LockTake { kTaken, kBusy, kFailed };

// How a run ended, once its log and exit status are written: what the steps
// after it (a command, a notification) need to know.
struct RunEnding {
  backup::RunOutcome outcome = backup::RunOutcome::kFailed;
  bool unattended = false;
  int exit_status = 0;    // the process's, or what an unattended run would end with
  bool log_saved = true;  // false: the lines are in the fallback file instead
  std::string log_path;   // the month's log, CP932
  std::string run_lines;  // the run's own lines, from its START=
};

class SessionPlace {
 public:
  virtual ~SessionPlace() = default;
  // The program folder's run lock, held until ReleaseRunLock. kBusy: another
  // run holds it. kFailed: no lock could be made; `failure` says why.
  [[nodiscard]] virtual LockTake TakeRunLock(std::string& failure) = 0;
  virtual void ReleaseRunLock() = 0;
  [[nodiscard]] virtual DateTime Now() = 0;
  // These three throw FileError with the message for the user.
  virtual void LoadLog(log::RunLog& log, const std::string& cp932_path) = 0;
  virtual void SaveLog(log::RunLog& log, const std::string& cp932_path) = 0;
  virtual void SaveSettings(const settings::Settings& settings) = 0;
  // Adds `entry` to the file beside the program that keeps what the month's
  // log could not take.
  virtual void AppendToFallback(const std::string& entry) = 0;
  [[nodiscard]] virtual const settings::FolderProbe& Probe() const = 0;
  [[nodiscard]] virtual backup::RunOutcome Backup(const backup::RunRequest& request,
                                                  DateTime run_start,
                                                  backup::ProgressSink& progress,
                                                  log::RunLog& log) = 0;
};

// Whoever asked for the run or the save. Unattended, nobody may be there to
// close a box: the session then writes messages into the log and shows the
// front nothing.
class SessionFront {
 public:
  virtual ~SessionFront() = default;
  virtual void ShowMessage(std::string_view cp932_text) = 0;
  virtual void ShowError(std::string_view cp932_text) = 0;
  // The field at fault made current, before its message is shown.
  virtual void ShowFaultField(settings::CheckedField field) = 0;
  // No save, second run or exit may start while a run goes on.
  virtual void HoldCommands(bool hold) = 0;
  // The settings just went into the file: what the front shows is what it holds.
  virtual void SettingsSaved() {}
  [[nodiscard]] virtual backup::ProgressSink& Progress() = 0;
  // After the run, its log saved and the run lock let go: the lines it
  // returns (what followed the run and failed) are added to the log.
  [[nodiscard]] virtual std::vector<std::string> RunEnded(const RunEnding&,
                                                          const settings::Settings&) {
    return {};
  }
};

class RunSession {
 public:
  // `log_dir` (CP932) ends in a backslash and holds one log file a month.
  RunSession(SessionPlace& place, std::string log_dir, bool unattended);
  RunSession(const RunSession&) = delete;
  RunSession& operator=(const RunSession&) = delete;

  [[nodiscard]] bool Unattended() const noexcept { return unattended_; }
  [[nodiscard]] bool Running() const noexcept { return running_; }
  [[nodiscard]] log::RunLog& Log() noexcept { return log_; }
  // The log file of `now`'s month.
  [[nodiscard]] std::string MonthLogFile(DateTime now) const;

  // The log of `now`'s month as it stands; a file that cannot be read is
  // told (the next run reads it again) and false returned.
  bool LoadMonthLog(DateTime now, SessionFront& front);

  // One backup of `settings`, with the check and the save at its start.
  void Run(const settings::Settings& settings, bool archiver_present, SessionFront& front);

  // 保存 and the exit prompt's yes: true when the settings passed the check
  // at `now` and were saved.
  [[nodiscard]] bool CheckAndSave(const settings::Settings& settings, DateTime now,
                                  SessionFront& front);

  // A message for the user: a box, or unattended a line of the log.
  void Tell(std::string_view cp932_text, SessionFront& front);
  void TellError(std::string_view cp932_text, SessionFront& front);

  // 0, except after an unattended run: kRunFailed when it did not end with
  // "バックアップ正常終了" (it failed, was stopped or was refused), and
  // kLogNotSaved when its log could not be saved. A scheduler shows it as
  // the task's last result.
  static constexpr int kLogNotSaved = 1;
  static constexpr int kRunFailed = 2;
  [[nodiscard]] int ExitStatus() const noexcept { return exit_status_; }

 private:
  [[nodiscard]] std::optional<settings::CutOffs> CheckAndSaveAt(const settings::Settings& settings,
                                                                DateTime reference,
                                                                SessionFront& front);
  void LogRefusal(std::string_view reason);
  void SaveLog(SessionFront& front);
  void EndRun(std::string_view outcome_line);

  SessionPlace& place_;
  std::string log_dir_;
  bool unattended_;
  bool running_ = false;
  int exit_status_ = 0;
  log::RunLog log_;
  std::string log_file_;
};

}  // namespace yx::run
