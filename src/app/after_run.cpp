#include "app/after_run.h"

#include <algorithm>
#include <cstdlib>

#include "app/settings_form.h"
#include "ui/notify_balloon.h"
#include "win/fault_line.h"
#include "win/file_system.h"
#include "win/text.h"
#include "win/whole_file.h"

namespace yx::app {
namespace {

using backup::RunOutcome;

const char* OutcomeWord(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::kDone:
      return "done";
    case RunOutcome::kCancelled:
      return "cancelled";
    case RunOutcome::kRefused:
      return "refused";
    case RunOutcome::kFailed:
      break;
  }
  return "failed";
}

// The run's message lines (a tab first), without the outcome and the time.
std::vector<std::string_view> MessageLines(std::string_view run) {
  std::vector<std::string_view> lines;
  size_t pos = 0;
  while (pos < run.size()) {
    size_t end = run.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = run.size();
    const std::string_view line = run.substr(pos, end - pos);
    pos = end + 1;
    if (line.size() > 1 && line[0] == '\t') lines.push_back(line.substr(1));
  }
  return lines;
}

// How many files and folders the run names as not backed up, the count of
// those beyond the first lines included.
size_t LeftOut(const std::vector<std::string_view>& lines) {
  constexpr std::string_view kMissed = "をバックアップできませんでした";
  size_t count = 0;
  for (const std::string_view line : lines) {
    if (line.starts_with("PATH=") && line.find(kMissed) != std::string_view::npos) ++count;
    constexpr std::string_view kMore = "ほかに ";
    if (line.starts_with(kMore) && line.ends_with(std::string(" 件") + std::string(kMissed)))
      count += std::strtoul(std::string(line.substr(kMore.size())).c_str(), nullptr, 10);
  }
  return count;
}

}  // namespace

std::wstring FollowUpCommandLine(std::string_view cp932_command, const RunEnding& ending) {
  std::wstring command = win::ToWide(cp932_command);
  const DWORD attributes = win::Attributes(command);
  if (!command.starts_with(L'"') && attributes != INVALID_FILE_ATTRIBUTES &&
      !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    command = L"\"" + command + L"\"";
  return command + L" " + win::ToWide(OutcomeWord(ending.outcome)) + L" \"" +
         win::ToWide(ending.log_path) + L"\" " + std::to_wstring(ending.exit_status);
}

std::string NoticeAge(const log::BackupAge& age, int warn_days) {
  if (!log::NeedsWarning(age, warn_days)) return {};
  switch (age.state) {
    case log::AgeState::kOld:
      return "最後の成功は " + std::to_string(age.days) + " 日前です";
    case log::AgeState::kNoneGood:
      return std::to_string(warn_days) + " 日以上成功していません";
    case log::AgeState::kUnknown:
      return "最後の成功がわかりません";
    case log::AgeState::kAhead:
      return "最後の成功が未来の日時です";
    case log::AgeState::kNoRuns:
    case log::AgeState::kRecent:
      break;
  }
  return {};
}

std::string NoticeText(const RunEnding& ending, std::string_view age_warning) {
  const std::vector<std::string_view> lines = MessageLines(ending.run_lines);
  std::string title, reason;
  switch (ending.outcome) {
    case RunOutcome::kDone:
      title = "バックアップ正常終了";
      break;
    case RunOutcome::kCancelled:
      title = "バックアップを中断しました";
      break;
    case RunOutcome::kRefused:
      // The check's own words (a missing destination, another run going on).
      title = "バックアップを実行できません";
      if (!lines.empty()) reason = lines.front();
      break;
    case RunOutcome::kFailed:
      title = "バックアップに失敗しました";
      if (const size_t count = LeftOut(lines); count > 0)
        reason = std::to_string(count) + " 件をバックアップできませんでした";
      else if (!lines.empty())
        reason = lines.front();
      break;
  }
  // A balloon need not wrap (Wine's is as wide as its title and cuts the
  // rest): the reason is cut to fit, the log (a click away) has it whole.
  constexpr size_t kReasonChars = 24;
  if (std::wstring wide = win::ToWide(reason); wide.size() > kReasonChars) {
    wide.resize(kReasonChars - 1);
    if (IS_HIGH_SURROGATE(wide.back())) wide.pop_back();
    reason = win::FromWide(wide + L"…");
  }
  std::string text = title;
  if (!reason.empty()) text += "\r\n" + reason;
  if (!ending.log_saved) text += "\r\nログを保存できませんでした (log-error.txt)";
  if (!age_warning.empty()) text += "\r\n" + std::string(age_warning);
  return text;
}

log::BackupAge ReadBackupAge(const std::string& log_dir, DateTime now, int warn_days) {
  return log::AgeOfLastGoodRun(
      [&](int year, int month) -> std::optional<std::string> {
        const std::string name = FormatDateTime("yymm", EncodeDateTime(year, month, 1)) + ".log";
        std::string bytes;
        switch (win::ReadWholeFile(win::ToLongPath(win::WidePath(log_dir + name)), bytes)) {
          case win::ReadResult::Read:
            return bytes;
          case win::ReadResult::Missing:
            return std::string();
          case win::ReadResult::Failed:
            break;
        }
        return std::nullopt;
      },
      now, warn_days);
}

std::vector<std::string> FollowUpRun(const RunEnding& ending, const settings::Settings& settings,
                                     const std::string& log_dir, DateTime now,
                                     AfterRunEffects& effects) {
  std::vector<std::string> lines;
  const bool good = ending.outcome == RunOutcome::kDone;
  const std::string& command = good ? settings.run_done : settings.run_fail;
  const std::string key = good ? "RUN_DONE" : "RUN_FAIL";
  win::Failure start_failure;
  const bool started =
      !command.empty() && effects.StartCommand(FollowUpCommandLine(command, ending), start_failure);
  if (!command.empty() && !started)
    lines.push_back(key + " のコマンドを実行できません: " + start_failure.Reason());
  if (ending.unattended && !good) {
    const log::BackupAge age = ReadBackupAge(log_dir, now, settings.warn_days);
    if (std::string failure =
            effects.Notify(NoticeText(ending, NoticeAge(age, settings.warn_days)));
        !failure.empty())
      lines.push_back(std::move(failure));
  }
  if (!started || !ending.unattended) return lines;
  DWORD exit_code = 0;
  switch (effects.FinishCommand(kCommandWaitMs, exit_code)) {
    case win::CommandProcess::End::kTimedOut:
      lines.push_back(key + " のコマンドが " + std::to_string(kCommandWaitMs / 1000) +
                      " 秒で終わらないため、止めました");
      break;
    case win::CommandProcess::End::kExited:
      if (exit_code != 0)
        lines.push_back(key + " のコマンドが終了コード " + std::to_string(exit_code) +
                        " で終わりました");
      break;
    case win::CommandProcess::End::kWaitFailed:
      lines.push_back(key + " のコマンドの終了を待てませんでした (WAIT_FAILED): " +
                      win::ErrorReason(exit_code));
      break;
    case win::CommandProcess::End::kNotStarted:
      break;
  }
  return lines;
}

std::string SystemEffects::Notify(std::string_view cp932_text) {
  const auto open_log_page = [exe_path = exe_path_]() -> std::string {
    // The settings window opens on its LOG page.
    win::CommandProcess window;
    win::Failure start_failure;
    if (!window.Start(L"\"" + exe_path + L"\"", start_failure))
      return "Yorudex を開けません: " + start_failure.Reason();
    return {};
  };
  // The first line is the balloon's title, what failed; the rest its text.
  // Wine sizes a balloon to its widest line and then draws the title after
  // the icon, so the widest line loses the icon's width at its end: two
  // ideographic spaces after each line are what it loses. Windows shows
  // blanks at a line's end as nothing.
  std::string title, text;
  for (size_t at = 0; at <= cp932_text.size();) {
    const size_t end = std::min(cp932_text.find("\r\n", at), cp932_text.size());
    const std::string line = std::string(cp932_text.substr(at, end - at)) + "　　";
    if (at == 0)
      title = line;
    else
      text += (text.empty() ? "" : "\r\n") + line;
    at = end + 2;
  }
  return ui::ShowWarningBalloon(window_, title, text, kNoticeMs, open_log_page);
}

}  // namespace yx::app
