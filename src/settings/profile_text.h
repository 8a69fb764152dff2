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
// Texts are code page 932 bytes (settings_encoding.h turns other files into
// them). Reading follows the same rules, and one pair of quotes around a
// whole value goes as the profile functions drop it, except where the value
// is a command line with quoted parts ("C:\My Tools\a.bat" "arg"), which
// keeps them all, so that it reads back as it was written.
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

// A value as it reads from the text after its "=" (blanks trimmed).
[[nodiscard]] std::string UnquotedValue(std::string_view value);

// The keys of the first section named `section` (letter case aside) with
// their values, in the file's order; nullopt when there is no such section.
[[nodiscard]] std::optional<KeyValues> SectionValues(std::string_view file,
                                                     std::string_view section);

}  // namespace yx::settings
