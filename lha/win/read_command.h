#pragma once
// The reading commands of the archiver: l and v list the entries, t decodes
// every entry and checks its CRC, x extracts with the stored folders under the
// base folder and e without them. Names given after the base select entries
// (`*` and `?`; a name without '\' also matches the entries' base names).
// Every problem is one line of the output and the command goes on with the
// next entry; the result is that of the first problem.
#include <string>
#include <vector>

#include "lha/core/command_line.h"
#include "lha/win/opened_archive.h"

namespace yx::lha::win {

struct ReadRequest {
  char command = 'l';
  std::wstring archive;
  std::wstring base;  // the folder extracted to; empty: the current folder
  std::vector<std::wstring> names;
  Overwrite overwrite = Overwrite::kNever;
};

struct ReadOutcome {
  int code = 0;         // a ReadResult
  std::wstring output;  // the listing, or one line per problem (CR LF)
};

[[nodiscard]] ReadOutcome RunReadCommand(const ReadRequest& request) noexcept;

// The request of a parsed command whose texts are in `code_page` (932, or
// CP_UTF8 for the wide entry points).
[[nodiscard]] ReadRequest ToReadRequest(const ArchiveCommand& command, unsigned code_page);

// Wildcard match of `pattern` against an entry's path (case ignored); a
// pattern without '\' also matches the last name of the path.
[[nodiscard]] bool MatchesEntry(const std::wstring& pattern, const std::wstring& path);

}  // namespace yx::lha::win
