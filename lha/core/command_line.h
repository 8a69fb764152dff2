#pragma once
// The archiver's command text: a command, switches beginning with '-' or '/',
// the archive, an optional base folder (a word ending in '\', or an empty
// "") and the names to add relative to it, or to read from the archive. Words may be quoted, wholly
// or in part; a quote never hides inside a double-byte character of code page 932, but a backslash
// may (表 is 95 5C), so the base test steps over them.
#include <string>
#include <string_view>
#include <vector>

namespace yx::lha {

// What extraction does with a file that exists already.
enum class Overwrite {
  kNever,   // report it and go on (the default)
  kAlways,  // -c
  kNewer,   // -u: only with a stored file newer than the one there
};

struct ArchiveCommand {
  char command = 0;             // 'a'; reading: 'l', 'v', 't', 'x', 'e'
  bool recurse = false;         // -r1, -r2
  bool folder_entries = false;  // -r2: folders become -lhd- entries
  Overwrite overwrite = Overwrite::kNever;
  std::string archive;  // code page 932 (UTF-8 for a wide command), as given
  std::string base;     // empty, or ending in a backslash
  std::vector<std::string> names;
};

enum class CommandError {
  kNone,
  kUnknownCommand,
  kUnknownSwitch,
  kUnbalancedQuote,
  kMissingArchive,
  kMissingNames,
};

// `utf8`: the text of a wide command, converted; otherwise code page 932.
[[nodiscard]] CommandError ParseCommandLine(std::string_view line, ArchiveCommand& out,
                                            bool utf8 = false);

}  // namespace yx::lha
