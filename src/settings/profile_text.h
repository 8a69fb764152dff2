#pragma once
// What the profile functions make of a file: WritePrivateProfileStringA reads
// the whole file into sections and keys, changes one value and writes the
// whole file back. The settings are saved through a new file that replaces
// the old one, so the bytes are worked out here, exactly as those writes
// would leave them (measured under Wine):
// - a line ends at CR, LF or CR LF; blank lines are dropped; blanks (tab,
//   VT, FF, space, ^Z) are trimmed around each line, key, value and section
//   name; every line is written back with CR LF;
// - "[name]" (up to the last "]") opens a section; lines before the first one
//   and sections named "" are written without a header; any other line is a
//   key, up to its first "=" (a comment or a line without "=" is a key with
//   no value, written back as it reads);
// - a key is looked up in the first section of that name, both without regard
//   to letter case; a key not there goes at the end of the section, a section
//   not there at the end of the file; the file's own spelling is kept;
// - a value is written without its leading blanks;
// - when no write changes a value, the file is not written at all.
// Texts are code page 932 bytes; UTF-8 or UTF-16 files are not told apart.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace yx::settings {

using KeyValues = std::vector<std::pair<std::string, std::string>>;

// The file's bytes after writing `values` into `section`, one key after the
// other; nullopt when none of them changes the file.
[[nodiscard]] std::optional<std::string> ProfileAfterWrites(std::string_view file,
                                                            std::string_view section,
                                                            const KeyValues& values);

}  // namespace yx::settings
