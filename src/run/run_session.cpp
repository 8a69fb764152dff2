#include "run/run_session.h"

#include <utility>

#include "base/file_error.h"

namespace yx::run {
namespace {
constexpr char kBusy[] = "別のバックアップが実行中のため、実行しませんでした。";
}

RunSession::RunSession(SessionPlace& place, std::string log_dir, bool unattended)
    : place_(place), log_dir_(std::move(log_dir)), unattended_(unattended) {}

std::string RunSession::MonthLogFile(DateTime now) const {
  return log_dir_ + FormatDateTime("yymm", now) + ".log";
}

void RunSession::Tell(std::string_view text, SessionFront& front) {
  if (unattended_)
    log_.LogLine(text);
  else
    front.ShowMessage(text);
}

void RunSession::TellError(std::string_view text, SessionFront& front) {
  if (unattended_)
    log_.LogLine(text);
  else
    front.ShowError(text);
}

bool RunSession::LoadMonthLog(DateTime now, SessionFront& front) {
  log_file_ = MonthLogFile(now);
  try {
    place_.LoadLog(log_, log_file_);
    return true;
  } catch (const FileError& e) {
    TellError(e.what(), front);
    return false;
  }
}

std::optional<settings::CutOffs> RunSession::CheckAndSaveAt(const settings::Settings& settings,
                                                            DateTime reference,
                                                            SessionFront& front) {
  const settings::CheckResult result = settings::CheckSettings(settings, reference, place_.Probe());
  if (const auto* fault = std::get_if<settings::CheckFault>(&result)) {
    if (!unattended_) front.ShowFaultField(fault->field);
    Tell(fault->message, front);
    return std::nullopt;
  }
  const auto& cut_offs = std::get<settings::CutOffs>(result);
  if (cut_offs.rules_conflict) Tell(settings::RulesConflictWarning(), front);
  try {
    place_.SaveSettings(settings);
  } catch (const FileError& e) {
    // The run stops as after a failed check, and still closes its log.
    TellError(e.what(), front);
    return std::nullopt;
  }
  front.SettingsSaved();
  return cut_offs;
}

bool RunSession::CheckAndSave(const settings::Settings& settings, DateTime now,
                              SessionFront& front) {
  return CheckAndSaveAt(settings, now, front).has_value();
}

void RunSession::Run(const settings::Settings& settings, bool archiver_present,
                     SessionFront& front) {
  // One run at a time, whoever asks for a second one meanwhile.
  if (running_) return;
  std::string lock_failure;
  const LockTake lock = place_.TakeRunLock(lock_failure);
  if (lock == LockTake::kBusy && !unattended_) {
    front.ShowMessage(kBusy);
    return;
  }
  running_ = true;
  front.HoldCommands(true);
  const DateTime run_start = place_.Now();
  // The month's file as it stands now: a scheduled run may have written it
  // while the window was open, or the month may have changed since.
  (void)LoadMonthLog(run_start, front);
  backup::RunOutcome outcome = backup::RunOutcome::kRefused;
  if (lock != LockTake::kTaken) {
    // Unattended, a refusal is a run of its own in the log, so that whoever
    // reads it sees that this start did no backup. A run that cannot tell
    // whether another one goes on may write into the same dated folders:
    // no backup this program could vouch for.
    log_.Append("START=" + FormatDateTime(log::kStamp, run_start));
    log_.LogLine(lock == LockTake::kBusy
                     ? kBusy
                     : "実行中のバックアップを確かめられないため、実行しませんでした。" +
                           lock_failure);
    log_.LogLine("異常終了しました。");
    log_.Append("END=" + FormatDateTime(log::kStamp, place_.Now()));
    if (unattended_) exit_status_ = kRunFailed;
  } else {
    backup::RunRequest request;
    request.settings = settings;
    request.archiver_present = archiver_present;
    request.check = [&](DateTime reference) { return CheckAndSaveAt(settings, reference, front); };
    outcome = place_.Backup(request, run_start, front.Progress(), log_);
    if (unattended_) exit_status_ = outcome == backup::RunOutcome::kDone ? 0 : kRunFailed;
  }
  RunEnding ending{outcome, unattended_, 0, true, log_file_, log_.Unsaved()};
  // Lines an earlier save could not write come first: this run's start at its START=.
  if (const size_t start = ending.run_lines.rfind("START="); start != std::string::npos)
    ending.run_lines.erase(0, start);
  SaveLog(front);
  // Held through the save: a run started meanwhile is refused, and its own
  // lines then follow this run's in the log.
  if (lock == LockTake::kTaken) place_.ReleaseRunLock();
  front.HoldCommands(false);
  running_ = false;
  ending.log_saved = log_.Unsaved().empty();
  ending.exit_status =
      unattended_ ? exit_status_ : (outcome == backup::RunOutcome::kDone ? 0 : kRunFailed);
  const std::vector<std::string> after = front.RunEnded(ending, settings);
  for (const std::string& line : after) log_.LogLine(line);
  if (!after.empty()) SaveLog(front);
}

void RunSession::SaveLog(SessionFront& front) {
  std::string failure;
  try {
    place_.SaveLog(log_, log_file_);
    return;
  } catch (const FileError& e) {
    failure = e.what();
  }
  if (!unattended_) {
    front.ShowError(failure);
    return;
  }
  // Nobody may be there to read a message: the reason, then the lines the
  // run could not put in its log, so that the file says what the run did.
  place_.AppendToFallback(FormatDateTime(log::kStamp, place_.Now()) + "\t" + failure + "\r\n" +
                          log_.Unsaved());
  exit_status_ = kLogNotSaved;
}

}  // namespace yx::run
