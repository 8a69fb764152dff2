// Deletion for the retention sweep.
//
// Read-only files: the copier keeps the read-only attribute of what it copies,
// so a backup of a read-only source would never expire if the sweep gave up
// on such files. The attribute is cleared on the way out; other failures (an
// open file, a denied access) leave the file, and the next sweep tries again.
// A file a later backup shares (a hard link) loses only this name: the
// attribute belongs to the file, not to the name, so it is set again through
// a handle kept open across the deletion, and the backups that keep the file
// find it as it was.
//
// Links: RemoveDirectoryW on a junction or folder symbolic link removes the
// link on Windows. Wine 8 instead removes the link's target when that is an
// empty folder (and fails with 145 when it is not), and so does a handle
// opened with FILE_FLAG_OPEN_REPARSE_POINT. A link whose target lists empty is
// therefore left in place: an expired backup that keeps a link is better than
// a folder deleted outside the backup. A file symbolic link carries the
// reparse-point attribute on Windows, and deleting it removes the link. Wine 8
// lists a Linux link to a file as a plain file and deleting it deletes the
// target; such a file (own_file.h) is left in place.
#include "backup/sweep_delete.h"

#include <windows.h>

#include <string>

#include "backup/sweep.h"
#include "win/file_system.h"
#include "win/own_file.h"
#include "win/pause_point.h"
#include "win/tree_walk.h"
#include "win/unique_handle.h"

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

bool Cancelled(const std::atomic<bool>* cancel_requested) {
  return cancel_requested != nullptr && *cancel_requested;
}

}  // namespace

DWORD DeleteBackupFile(std::wstring_view path) {
  const std::wstring long_path = win::ToLongPath(path);
  const DWORD listed = ::GetFileAttributesW(long_path.c_str());
  if (listed == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
  }
  if ((listed & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    // Another file reached through a link, or one that cannot be opened to
    // ask, is not deleted blind.
    if (const DWORD own = win::CheckOwnFile(path); own != ERROR_SUCCESS)
      return own == win::kReachedThroughLink ? ERROR_NOT_SUPPORTED : own;
  }
  if (::DeleteFileW(long_path.c_str())) return ERROR_SUCCESS;
  const DWORD denied = ::GetLastError();
  if (denied != ERROR_ACCESS_DENIED) return denied;
  const DWORD attributes = ::GetFileAttributesW(long_path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0)
    return denied;
  win::UniqueFile file(::CreateFileW(
      long_path.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return ::GetLastError();
  // Zero times leave the file's times as they are.
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = attributes & ~FILE_ATTRIBUTE_READONLY;
  if (!::SetFileInformationByHandle(file.get(), FileBasicInfo, &basic, sizeof basic))
    return ::GetLastError();
  DWORD error = ERROR_SUCCESS;
  if (!::DeleteFileW(long_path.c_str())) error = ::GetLastError();
  // Deleted or not (open, or denied for another reason), the file keeps its
  // attribute wherever it still has a name.
  basic.FileAttributes = attributes;
  (void)::SetFileInformationByHandle(file.get(), FileBasicInfo, &basic, sizeof basic);
  return error;
}

DWORD RemoveEmptyFolder(std::wstring_view folder) {
  if (::RemoveDirectoryW(win::ToLongPath(WithoutFinalBackslash(folder)).c_str()))
    return ERROR_SUCCESS;
  return ::GetLastError();
}

DWORD RemoveFolderLink(std::wstring_view link) {
  if (!ListsAnyEntry(link)) return ERROR_NOT_SUPPORTED;
  return RemoveEmptyFolder(link);
}

DWORD DeleteTree(std::wstring_view folder, const std::atomic<bool>* cancel_requested) {
  const std::wstring path = WithFinalBackslash(folder);
  const DWORD attributes = win::Attributes(WithoutFinalBackslash(path));
  if (attributes == INVALID_FILE_ATTRIBUTES) return ERROR_SUCCESS;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return RemoveFolderLink(path);
  // Why the first thing that stayed did: the folder stays with it.
  DWORD first_error = ERROR_SUCCESS;
  const auto keep_first = [&first_error](DWORD error) {
    if (first_error == ERROR_SUCCESS) first_error = error;
  };
  win::TreeWalk walk(path);
  for (;;) {
    switch (walk.Next()) {
      case win::TreeWalk::Step::kEnd:
        if (win::Attributes(WithoutFinalBackslash(path)) == INVALID_FILE_ATTRIBUTES)
          return ERROR_SUCCESS;
        return first_error != ERROR_SUCCESS ? first_error : ERROR_DIR_NOT_EMPTY;
      case win::TreeWalk::Step::kEntry: {
        if (Cancelled(cancel_requested)) return ERROR_CANCELLED;
        const win::TreeWalk::Entry& entry = walk.Current();
        win::PausePoint("sweep-delete");
        if (!entry.IsFolder())
          keep_first(DeleteBackupFile(walk.CurrentPath()));
        else if (entry.IsLink())
          keep_first(RemoveFolderLink(walk.CurrentPath()));
        else
          walk.Descend();
        break;
      }
      case win::TreeWalk::Step::kLeave:
        // Goes only when empty: it may still hold what could not be deleted,
        // or what it held could not be listed.
        keep_first(RemoveEmptyFolder(walk.Folder()));
        break;
      case win::TreeWalk::Step::kUnlistable:
        break;
    }
  }
}

}  // namespace yx::backup
