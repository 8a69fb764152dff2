#include "log/last_good_run.h"

namespace yx::log {

bool NeedsWarning(const BackupAge& age, int warn_days) {
  return warn_days > 0 && age.state != AgeState::kNoRuns && age.state != AgeState::kRecent;
}

std::string AgeWarning(const BackupAge& age, int warn_days) {
  if (!NeedsWarning(age, warn_days)) return {};
  switch (age.state) {
    case AgeState::kOld:
      return "最後に成功したバックアップは " + std::to_string(age.days) + " 日前です";
    case AgeState::kNoneGood:
      return "成功したバックアップが " + std::to_string(warn_days) + " 日以上ありません";
    case AgeState::kUnknown:
      return "ログを読めないため、最後に成功したバックアップの日時がわかりません";
    case AgeState::kAhead:
      return "最後に成功したバックアップの日時が現在より後です: 時計を確かめてください";
    case AgeState::kNoRuns:
    case AgeState::kRecent:
      break;
  }
  return {};
}

}  // namespace yx::log
