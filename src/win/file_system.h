#pragma once
// File work goes through the wide API with the "\\?\" prefix, so names outside
// code page 932 and paths longer than MAX_PATH are handled like any other.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace yx::win {

// "C:\a" -> "\\?\C:\a", "\\srv\share" -> "\\?\UNC\srv\share"; relative paths
// and paths that already carry the prefix are returned unchanged.
[[nodiscard]] std::wstring ToLongPath(std::wstring_view path);

// The path made full, with "." and ".." resolved and doubled backslashes
// joined: the "\\?\" prefix turns that resolution off, so a path a user typed
// goes through here before it gets the prefix. A trailing backslash stays.
// Paths that carry the prefix already are returned unchanged.
[[nodiscard]] std::wstring FullPath(std::wstring_view path);

// CP932 path as the settings hold it, made full; empty (no file at all) when
// the text is not well-formed Shift-JIS.
[[nodiscard]] std::wstring WidePath(std::string_view cp932_path);

[[nodiscard]] DWORD Attributes(std::wstring_view path);
[[nodiscard]] bool FolderExists(std::wstring_view path);
[[nodiscard]] bool FolderExists(std::string_view cp932_path);

// One folder; fails when it exists already or its parent is missing.
[[nodiscard]] bool CreateOneFolder(std::wstring_view path);
// With every missing parent; an existing folder counts as created. On a
// failure the last error is that of the folder that could not be made.
[[nodiscard]] bool CreateFolderTree(std::wstring_view path);

// Sixteen hex digits that name a folder in a kernel object's name, the same
// for every spelling of it (letter case, short names, a final backslash).
[[nodiscard]] std::wstring FolderKey(std::wstring_view path);
// The path full and in long names, as FolderKey spells it first. Under Wine
// this looks up every folder on the way: a folder's many subfolders named
// from its listing take the key of `long_path` followed by their names.
[[nodiscard]] std::wstring LongFullPath(std::wstring_view path);
[[nodiscard]] std::wstring FolderKeyOfLong(std::wstring_view long_path);

// The call that reads a listing's next entry. Nothing under Wine makes it
// fail part way, as a share that drops does on Windows, so tests put one that
// does.
using FindNextCall = std::function<BOOL(HANDLE, WIN32_FIND_DATAW*)>;

// Calls `visit` for every entry of `folder` (ending in a backslash), "." and ".."
// included, in the order the file system lists them; stops when it returns
// false. Callers check for a cancel before each entry, the dot entries too.
// Returns false, with the last error set, when the folder could not be
// listed, wholly or in part.
bool ForEachEntry(std::wstring_view folder,
                  const std::function<bool(const WIN32_FIND_DATAW&)>& visit,
                  const FindNextCall& find_next = ::FindNextFileW);

[[nodiscard]] inline bool IsDotEntry(const WIN32_FIND_DATAW& e) {
  const std::wstring_view n = e.cFileName;
  return n == L"." || n == L"..";
}
[[nodiscard]] inline bool IsFolder(const WIN32_FIND_DATAW& e) {
  return (e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
// Junctions and symbolic links. The sweep never enters one; the copier copies
// the folder it leads to, unless that folder is already on its path.
[[nodiscard]] inline bool IsLink(const WIN32_FIND_DATAW& e) {
  return (e.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

}  // namespace yx::win
