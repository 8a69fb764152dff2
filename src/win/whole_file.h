#pragma once
// Files the program rewrites whole (the settings, the month's log, the
// fallback error file): the new bytes go into a file of their own beside the
// old one and replace it only once they are all on the disk, so a kill, a
// power cut or a full disk leaves either the old file or the new one, never a
// file cut short.
#include <windows.h>

#include <string>
#include <string_view>

namespace yx::win {

[[nodiscard]] bool ReadAll(HANDLE file, std::string& bytes);
[[nodiscard]] bool WriteAll(HANDLE file, std::string_view bytes);

enum class ReadResult { Read, Missing, Failed };

// Whether a file reached through a link by its own name is read: a file the
// program trusts (a backup's catalog) is not, and fails with
// kReachedThroughLink (own_file.h).
enum class Links { kFollowed, kRefused };

// The whole file, read while other programs may read it but not write it.
[[nodiscard]] ReadResult ReadWholeFile(const std::wstring& path, std::string& bytes,
                                       Links links = Links::kFollowed);

// Writes `bytes` beside `path`, flushes them and moves them over `path`.
// `pause_point` names the moment between the two for the test build. On
// failure `path` is as it was and GetLastError tells why.
[[nodiscard]] bool ReplaceWholeFile(const std::wstring& path, std::string_view bytes,
                                    std::string_view pause_point);

}  // namespace yx::win
