#pragma once
// Where an entry may be written: its stored path split into names, and the
// check that keeps a hostile archive inside the folder it is extracted to.
// Names are checked in UTF-16, after the platform has converted the code
// page 932 ones, so that the check sees what the file system will.
#include <string>
#include <string_view>
#include <vector>

#include "lha/core/header.h"

namespace yx::lha {

// The stored path of `h` (folders, then the base name), split at 0xFF, '\'
// and '/' (whole characters only). Each leading separator gives an empty
// name (one: a root; two: a UNC or \\?\ name); other empty names are dropped.
[[nodiscard]] std::vector<std::string> StoredPathParts(const EntryHeader& h);
// The same from the UTF-16 names, when the header has them.
[[nodiscard]] std::vector<std::u16string> WidePathParts(const EntryHeader& h);
// A path already in UTF-16, split the same way (0xFFFF, '\\' and '/').
[[nodiscard]] std::vector<std::u16string> SplitWidePath(std::u16string_view path);

enum class PathVerdict {
  kOk,
  kEmpty,         // no name at all
  kAbsolute,      // a leading separator: a root, a UNC or \\?\ name
  kParent,        // a ".." name
  kDevice,        // CON, NUL, COM1, ... with or without an extension
  kBadCharacter,  // a character Windows forbids (':' of a drive letter too)
  kBadEnd,        // a name ending in a dot or a blank, which Windows drops
};

// Checks every name and drops the "." ones. With `root_removed`, a leading
// drive ("C:") and one leading separator are taken off instead of refused,
// and it says whether they were; two leading separators stay kAbsolute.
[[nodiscard]] PathVerdict CheckPath(std::vector<std::u16string>& parts,
                                    bool* root_removed = nullptr);

}  // namespace yx::lha
