#pragma once
// How the sweep deletes: the file, folder and link removals under DeleteTree,
// shared with the sweep's own deletions of archives and empty month folders.
#include <string_view>

namespace yx::backup {

// Deletes one file of an expired backup, read-only or not. False when it stays.
bool DeleteBackupFile(std::wstring_view path);

// Removes `folder` (with or without its final backslash) when it is empty.
bool RemoveEmptyFolder(std::wstring_view folder);

// Removes a junction or folder symbolic link itself, never what it points to.
bool RemoveFolderLink(std::wstring_view link);

}  // namespace yx::backup
