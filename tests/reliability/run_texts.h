#pragma once
// The run log's texts the suite looks for (CP932 at run time), and the
// moment most runs are staged at: Wednesday 2001-05-23 09:05:00.
#include <string>

#include "win/fault_line.h"

namespace yx::test {

inline constexpr char kNow[] = "2001-05-23 09:05:00";
inline constexpr char kStart[] = "01/05/23 09:05:00";
inline constexpr char kDone[] = "\tバックアップ正常終了";
inline constexpr char kFailed[] = "\tバックアップの作成に失敗しました";
inline constexpr char kAborted[] = "\tバックアップを中断しました";
inline constexpr char kStopped[] = "\t異常終了しました。";

// The line naming what the run could not back up, as the system words `error`.
inline std::string FaultText(const std::wstring& path, DWORD error) {
  return "\t" + win::FaultLine(path, error);
}

}  // namespace yx::test
