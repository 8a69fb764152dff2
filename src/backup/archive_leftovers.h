#pragma once
// A run killed while the archiver writes leaves its new archive unfinished
// beside the old one, as "<yymmdd_hhnn>.lzh.<process id>-<n>.tmp" (the
// archiver's name for it). Such a file looks like a backup to a user and is
// never finished: the next archive run into the same day folder removes it.
#include <string>
#include <string_view>

namespace yx::backup {

// The process id in an unfinished archive's name; 0 for any other name.
[[nodiscard]] unsigned long ArchiveTempOwner(std::string_view name);

// Removes the unfinished archives of `day_folder` (ending in a backslash)
// whose process is gone; nothing else, and no file of a process still running.
void RemoveArchiveLeftovers(const std::wstring& day_folder);

}  // namespace yx::backup
