#pragma once
// What an entry's header says, as Windows wants it: its path in UTF-16 (from
// the Unicode names when it has them, else its code page 932 names), its
// times as FILETIMEs and its attributes.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "lha/core/entry_path.h"
#include "lha/core/header.h"

namespace yx::lha::win {

// The names of the stored path; `verdict` says whether it may be written.
// Narrow names that are not valid in their code page (932 unless the header
// names another) are read as UTF-8, which Unix archivers write; bytes neither
// explains become '_', and `replaced` says so. A leading drive or separator
// is left out, and `root_removed` says so: such a name is written under the
// base folder, as the common extractors do.
[[nodiscard]] std::vector<std::wstring> EntryParts(const EntryHeader& h, PathVerdict* verdict,
                                                   bool* replaced = nullptr,
                                                   bool* root_removed = nullptr);
// The stored narrow path decoded as EntryParts decodes it, whole: '\' after
// every folder's name.
[[nodiscard]] std::wstring DecodedNarrowPath(const EntryHeader& h, bool& replaced);
// The file's comment decoded as the names are, control characters as '_'.
[[nodiscard]] std::wstring EntryComment(const EntryHeader& h);
// The stored path with '\' between names, for listings and the handle API.
[[nodiscard]] std::wstring EntryWidePath(const EntryHeader& h);
[[nodiscard]] std::string EntryNarrowPath(const EntryHeader& h);

struct EntryTimes {
  FILETIME write{};
  std::optional<FILETIME> creation, access;
};
// The Windows times when the header has them, else the Unix time, else the
// MS-DOS time (local time).
[[nodiscard]] EntryTimes TimesOf(const EntryHeader& h);
[[nodiscard]] uint32_t UnixTimeOf(const FILETIME& t);
// The local MS-DOS date and time of `t`: date in the high half.
[[nodiscard]] DWORD DosTimeOf(const FILETIME& t);

// Read-only, hidden, system and archive: what extraction gives a file or folder.
[[nodiscard]] DWORD AttributesOf(const EntryHeader& h);

}  // namespace yx::lha::win
