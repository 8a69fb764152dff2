#include "restore/run_outcomes.h"

#include "backup/backup_names.h"

namespace yx::restore {
namespace {

// "START=26/01/05 09:04:59" and "END=..." carry "yy/mm/dd hh:nn:ss".
std::string StampKey(std::string_view stamp) {
  if (stamp.size() < 14 || stamp[2] != '/' || stamp[5] != '/' || stamp[8] != ' ' ||
      stamp[11] != ':')
    return {};
  const std::string yymmdd = std::string(stamp.substr(0, 2)) + std::string(stamp.substr(3, 2)) +
                             std::string(stamp.substr(6, 2));
  if (!backup::DateOfName(yymmdd)) return {};
  return backup::DateOrderKey(yymmdd) + std::string(stamp.substr(9, 2)) +
         std::string(stamp.substr(12, 2));
}

std::optional<RunOutcome> OutcomeOfLine(std::string_view line) {
  if (line == "\tバックアップ正常終了") return RunOutcome::kDone;
  if (line == "\tバックアップを中断しました") return RunOutcome::kCancelled;
  if (line == "\tバックアップの作成に失敗しました" || line == "\t異常終了しました。")
    return RunOutcome::kFailed;
  return std::nullopt;
}

}  // namespace

std::vector<LoggedRun> LoggedRuns(std::string_view text) {
  std::vector<LoggedRun> runs;
  std::optional<LoggedRun> open;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.starts_with("START=")) {
      open = LoggedRun{StampKey(line.substr(6)), {}, std::nullopt};
      if (open->first.empty()) open.reset();
    } else if (open && line.starts_with("END=")) {
      open->last = StampKey(line.substr(4));
      if (!open->last.empty()) runs.push_back(std::move(*open));
      open.reset();
    } else if (open) {
      if (const std::optional<RunOutcome> outcome = OutcomeOfLine(line)) open->outcome = outcome;
    }
  }
  return runs;
}

std::string MinuteKey(std::string_view id) {
  if (id.size() != 11) return {};
  return backup::DateOrderKey(id.substr(0, 6)) + std::string(id.substr(7));
}

const LoggedRun* RunOf(const std::vector<LoggedRun>& runs, std::string_view id) {
  const std::string key = MinuteKey(id);
  // Two runs of one minute share the backup. A second copy run fails before
  // it writes into it, and a failed archive run leaves the archive as it
  // was: one run that ended well vouches for the backup.
  const LoggedRun* found = nullptr;
  for (const LoggedRun& run : runs) {
    if (run.first > key || key > run.last) continue;
    if (!found || found->outcome != RunOutcome::kDone) found = &run;
  }
  return found;
}

std::string_view OutcomeText(const LoggedRun* run) {
  if (!run || !run->outcome) return "記録なし";
  switch (*run->outcome) {
    case RunOutcome::kDone:
      return "正常終了";
    case RunOutcome::kCancelled:
      return "中断";
    case RunOutcome::kFailed:
      break;
  }
  return "失敗";
}

}  // namespace yx::restore
