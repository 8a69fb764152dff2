#pragma once
// The decisions of a restore that need no file system: which entries a
// selection takes and where below the target each one goes, the name of a
// copy kept beside an existing file, and the versions of one path across
// the backups.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "restore/stored_entry.h"

namespace yx::restore {

// Paths compare as Windows compares names: ASCII letters in either case.
[[nodiscard]] bool SamePath(std::u16string_view a, std::u16string_view b);
// `path` is `folder` or lies below it.
[[nodiscard]] bool IsWithin(std::u16string_view path, std::u16string_view folder);

// The last name of a stored path, and what comes before it (with its final
// backslash, empty at the top).
[[nodiscard]] std::u16string_view LastName(std::u16string_view path);
[[nodiscard]] std::u16string_view ParentOf(std::u16string_view path);
// The first folder of a stored path: the source the backup took it from.
[[nodiscard]] std::u16string_view TopFolder(std::u16string_view path);

struct PlannedEntry {
  const StoredEntry* entry = nullptr;
  std::u16string relative;  // below the target: the selected item's own name first
};

// The entries each selected path takes (a folder with everything below it),
// folders before their contents, each once. Selected paths the backup does
// not hold are given back in `missing`.
[[nodiscard]] std::vector<PlannedEntry> PlanRestore(const std::vector<StoredEntry>& entries,
                                                    const std::vector<std::u16string>& selected,
                                                    std::vector<std::u16string>& missing);

// The name a restored file takes beside an existing one: the backup's id
// before the extension, "q1 (260105_0905).txt"; `attempt` 2 and on add a
// number, "q1 (260105_0905 2).txt".
[[nodiscard]] std::u16string KeepBothName(std::u16string_view name, std::string_view id,
                                          int attempt);

// One backup's answer for a path: the entry, or nothing when it lacks it.
struct VersionRow {
  size_t backup = 0;  // index into the backups, newest first
  StoredEntry entry;
  bool changed = false;  // differs from the next older version; the oldest has none to differ from
};

// The rows of the backups (newest first) that hold the path.
[[nodiscard]] std::vector<VersionRow> Versions(
    const std::vector<std::optional<StoredEntry>>& per_backup);

// The stored path of an original file or folder: below the source folder
// (whose last name is the backup's top folder) it lies in; nothing when it
// lies in none of `sources` (full paths, final backslash or not).
[[nodiscard]] std::optional<std::u16string> StoredPathOf(
    std::u16string_view original, const std::vector<std::u16string>& sources);

}  // namespace yx::restore
