#pragma once
// How the sweep deletes: the file, folder and link removals under DeleteTree,
// shared with the sweep's own deletions of archives and empty month folders.
// Each gives ERROR_SUCCESS when what it was given is gone, otherwise the
// reason it stays: the system's error, or ERROR_NOT_SUPPORTED for what is
// left on purpose because it cannot be removed safely (see the .cpp).
#include <windows.h>

#include <string_view>

namespace yx::backup {

// Deletes one file of an expired backup, read-only or not.
[[nodiscard]] DWORD DeleteBackupFile(std::wstring_view path);

// Removes `folder` (with or without its final backslash) when it is empty.
[[nodiscard]] DWORD RemoveEmptyFolder(std::wstring_view folder);

// Removes a junction or folder symbolic link itself, never what it points to.
[[nodiscard]] DWORD RemoveFolderLink(std::wstring_view link);

}  // namespace yx::backup
