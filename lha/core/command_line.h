#pragma once
// The archiver's command text: a command, switches beginning with '-' or '/',
// the archive, an optional base folder (a word ending in '\', or an empty
// "") and the names to add relative to it. Words may be quoted, wholly or in
// part; a quote never hides inside a double-byte character of code page 932,
// but a backslash may (表 is 95 5C), so the base test steps over them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace yx::lha {

struct ArchiveCommand {
  char command = 0;             // 'a'
  bool recurse = false;         // -r1, -r2
  bool folder_entries = false;  // -r2: folders become -lhd- entries
  std::string archive;          // code page 932, as given
  std::string base;             // empty, or ending in a backslash
  std::vector<std::string> names;
  // -ex:PATTERN, once per pattern, and -es:BYTES: what the walk leaves out
  // below each folder it collects (base/exclusion.h says how they match).
  std::vector<std::string> exclusions;  // code page 932, as given
  uint64_t exclusion_size = 0;          // files of more bytes; 0: no limit
};

enum class CommandError {
  kNone,
  kUnknownCommand,
  kUnknownSwitch,
  kUnbalancedQuote,
  kMissingArchive,
  kMissingNames,
};

[[nodiscard]] CommandError ParseCommandLine(std::string_view line, ArchiveCommand& out);

}  // namespace yx::lha
