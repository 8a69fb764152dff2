#pragma once
// The log line that names a file or folder a run could not back up, with the
// system's reason: written by the copier's run and by the archiver alike, so
// the log reads the same in both modes.
#include <windows.h>

#include <string>
#include <string_view>

#include "base/file_error.h"
#include "win/failure.h"

namespace yx::win {

// The system's own words for `code` (an error or an HRESULT), on one line;
// empty when it has none.
[[nodiscard]] std::wstring SystemText(DWORD code);

// "エラー <n> <system text>": why a call failed, for a line or a message.
[[nodiscard]] std::string ErrorReason(DWORD error);

// "PATH=<path> をバックアップできませんでした: エラー <n> <system text>"
[[nodiscard]] std::string FaultLine(std::wstring_view path, DWORD error);
[[nodiscard]] inline std::string FaultLine(const Failure& failure) {
  return FaultLine(failure.path, failure.error);
}

// MakeFileError's text with ": " and the failure's reason after it,
// carrying its error: a file the program must read or write, and why it
// could not.
[[nodiscard]] FileError SystemFileError(std::string_view pattern, std::string_view path,
                                        const Failure& failure);

}  // namespace yx::win
