#pragma once
// What follows a run once its log and its exit status are written: the
// command of RUN_FAIL or RUN_DONE, and, after an unattended run that did not
// end with "バックアップ正常終了", a notification that someone may see. Both
// leave the process through AfterRunEffects, which tests replace.
#include <windows.h>

#include <string>
#include <vector>

#include "backup/run.h"
#include "log/last_good_run.h"
#include "run/run_session.h"
#include "settings/settings.h"
#include "win/command_process.h"

namespace yx::app {

using RunEnding = run::RunEnding;

class AfterRunEffects {
 public:
  virtual ~AfterRunEffects() = default;
  // Starts the command; false with the call that failed.
  [[nodiscard]] virtual bool StartCommand(const std::wstring& command_line,
                                          win::Failure& failure) = 0;
  // Waits for the command started last, at most `wait_ms`.
  [[nodiscard]] virtual win::CommandProcess::End FinishCommand(DWORD wait_ms, DWORD& exit_code) = 0;
  // Shows the notification and returns within a few seconds: empty, or the
  // line that says what failed when it was clicked.
  [[nodiscard]] virtual std::string Notify(std::string_view cp932_text) = 0;
};

// The real ones: a process of its own, a balloon from the notification area
// whose click starts `exe_path` (the window opens on its LOG page). The
// balloon is shown by the loop of `window`'s thread; the run waits for its end.
class SystemEffects : public AfterRunEffects {
 public:
  SystemEffects(std::wstring exe_path, HWND window,
                win::CommandProcess command = win::CommandProcess())
      : exe_path_(std::move(exe_path)), window_(window), command_(std::move(command)) {}
  bool StartCommand(const std::wstring& command_line, win::Failure& failure) override {
    return command_.Start(command_line, failure);
  }
  win::CommandProcess::End FinishCommand(DWORD wait_ms, DWORD& exit_code) override {
    return command_.Wait(wait_ms, exit_code);
  }
  std::string Notify(std::string_view cp932_text) override;

 private:
  std::wstring exe_path_;
  HWND window_;
  win::CommandProcess command_;
};

// How long an unattended run waits for its command before ending it.
inline constexpr DWORD kCommandWaitMs = 60'000;
// How long the notification stays.
inline constexpr DWORD kNoticeMs = 6'000;

// The command line started: the setting's text (a whole text naming an
// existing file is quoted for it), then three arguments: the outcome
// (done, failed, cancelled or refused), the log's path in quotes and the exit status.
[[nodiscard]] std::wstring FollowUpCommandLine(std::string_view cp932_command,
                                               const RunEnding& ending);

// The notification's text: what happened as its title line, one short line
// of reason, and the age of the last good backup when it needs a warning.
[[nodiscard]] std::string NoticeText(const RunEnding& ending, std::string_view age_warning);
// The age of the last good backup when it needs a warning, said short enough
// for the notification ("最後の成功は 6 日前です"); the window says it whole.
[[nodiscard]] std::string NoticeAge(const log::BackupAge& age, int warn_days);

// The age of the last good run from the month logs in `log_dir` (CP932,
// ending in a backslash).
[[nodiscard]] log::BackupAge ReadBackupAge(const std::string& log_dir, DateTime now, int warn_days);

// Runs the steps after a run; the lines it returns (the command's own
// failure) belong in the run's log. From the window the command is started
// and not waited for: the window must not wait on it.
[[nodiscard]] std::vector<std::string> FollowUpRun(const RunEnding& ending,
                                                   const settings::Settings& settings,
                                                   const std::string& log_dir, DateTime now,
                                                   AfterRunEffects& effects);

}  // namespace yx::app
