#pragma once
// The names an entry is stored under. Code page 932 in the 0x01/0x02 headers,
// which every reader takes; a character it cannot hold becomes '_'. When the
// code page 932 form does not give back the exact name, the UTF-16 headers
// 0x44/0x45 carry it as well (bsdtar reads those); otherwise they would only
// repeat the same name at three bytes a character.
#include <string>
#include <string_view>
#include <vector>

#include "lha/core/header.h"

namespace yx::lha::win {

// A stored path: its folders from the top, and the file name (empty for the
// entry of a folder, whose own name is then the last of `folders`).
struct StoredPath {
  std::vector<std::wstring> folders;
  std::wstring name;
};

// Fills the name fields of `h` (and the code page header).
void SetStoredNames(const StoredPath& path, EntryHeader& h);

// The same path as one text, '\' between the parts and after a folder.
[[nodiscard]] std::u16string KeyOf(const StoredPath& path);
// The path of an entry read from an existing archive, in the same form.
[[nodiscard]] std::u16string KeyOf(const EntryHeader& h);
// Upper case, as Windows compares file names: an old entry is replaced by a
// new one whose key folds to the same text.
[[nodiscard]] std::u16string Folded(std::u16string key);

}  // namespace yx::lha::win
