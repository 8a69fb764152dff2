// Deletion for the retention sweep.
//
// Read-only files: the copier keeps the read-only attribute of what it copies,
// so a backup of a read-only source would never expire if the sweep gave up
// on such files. The attribute is cleared on the way out; other failures (an
// open file, a denied access) leave the file, and the next sweep tries again.
//
// Links: RemoveDirectoryW on a junction or folder symbolic link removes the
// link on Windows. Wine 8 instead removes the link's target when that is an
// empty folder (and fails with 145 when it is not), and so does a handle
// opened with FILE_FLAG_OPEN_REPARSE_POINT. A link whose target lists empty is
// therefore left in place: an expired backup that keeps a link is better than
// a folder deleted outside the backup. A file symbolic link is deleted as a
// file, which on Windows removes the link; Wine 8 lists a Linux link to a file
// as a plain file and deletes its target, and nothing a program sees there
// tells the two apart.
#include "backup/sweep_delete.h"

#include <windows.h>

#include <string>

#include "backup/sweep.h"
#include "win/file_system.h"
#include "win/pause_point.h"

namespace yx::backup {
namespace {

std::wstring WithoutFinalBackslash(std::wstring_view path) {
  std::wstring p(path);
  if (!p.empty() && p.back() == L'\\') p.pop_back();
  return p;
}

std::wstring WithFinalBackslash(std::wstring_view path) {
  std::wstring p(path);
  if (p.empty() || p.back() != L'\\') p += L'\\';
  return p;
}

// False also when it cannot be listed: a dangling link holds nothing to lose.
bool ListsAnyEntry(std::wstring_view folder) {
  bool any = false;
  win::ForEachEntry(WithFinalBackslash(folder), [&](const WIN32_FIND_DATAW& e) {
    any = !win::IsDotEntry(e);
    return !any;
  });
  return any;
}

bool Cancelled(const bool* cancel_requested) {
  return cancel_requested != nullptr && *cancel_requested;
}

void DeleteFolder(const std::wstring& folder, const bool* cancel_requested) {
  bool cancelled = false;
  win::ForEachEntry(folder, [&](const WIN32_FIND_DATAW& e) {
    if (Cancelled(cancel_requested)) {
      cancelled = true;
      return false;
    }
    if (win::IsDotEntry(e)) return true;
    const std::wstring path = folder + e.cFileName;
    win::PausePoint("sweep-delete");
    if (!win::IsFolder(e)) {
      DeleteBackupFile(path);
    } else if (win::IsLink(e)) {
      RemoveFolderLink(path);
    } else {
      DeleteFolder(path + L'\\', cancel_requested);
    }
    return true;
  });
  // A folder that could not be listed goes only when it is empty, like one
  // that still holds what could not be deleted.
  if (!cancelled) RemoveEmptyFolder(folder);
}

}  // namespace

bool DeleteBackupFile(std::wstring_view path) {
  const std::wstring long_path = win::ToLongPath(path);
  if (::DeleteFileW(long_path.c_str())) return true;
  if (::GetLastError() != ERROR_ACCESS_DENIED) return false;
  const DWORD attributes = ::GetFileAttributesW(long_path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0)
    return false;
  if (!::SetFileAttributesW(long_path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) return false;
  if (::DeleteFileW(long_path.c_str())) return true;
  // Still there (open, or denied for another reason): leave it as it was.
  (void)::SetFileAttributesW(long_path.c_str(), attributes);
  return false;
}

bool RemoveEmptyFolder(std::wstring_view folder) {
  return ::RemoveDirectoryW(win::ToLongPath(WithoutFinalBackslash(folder)).c_str()) != FALSE;
}

bool RemoveFolderLink(std::wstring_view link) {
  if (!ListsAnyEntry(link)) return false;
  return RemoveEmptyFolder(link);
}

void DeleteTree(std::wstring_view folder, const bool* cancel_requested) {
  const std::wstring path = WithFinalBackslash(folder);
  const DWORD attributes = win::Attributes(WithoutFinalBackslash(path));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    RemoveFolderLink(path);
    return;
  }
  DeleteFolder(path, cancel_requested);
}

}  // namespace yx::backup
