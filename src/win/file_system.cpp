#include "win/file_system.h"

#include "base/cp932.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace yx::win {

std::wstring ToLongPath(std::wstring_view path) {
  if (path.starts_with(L"\\\\?\\")) return std::wstring(path);
  if (path.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + std::wstring(path.substr(2));
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\')
    return L"\\\\?\\" + std::wstring(path);
  return std::wstring(path);
}

std::wstring WidePath(std::string_view cp932_path) {
  // Broken Shift-JIS names no file: converted leniently, a lone lead byte
  // would join the backslash after it into another character and the path
  // would lead somewhere else.
  if (!cp932::IsWellFormed(cp932_path)) return {};
  return ToWide(cp932_path);
}

DWORD Attributes(std::wstring_view path) {
  if (path.empty()) return INVALID_FILE_ATTRIBUTES;
  return ::GetFileAttributesW(ToLongPath(path).c_str());
}

bool FolderExists(std::wstring_view path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FolderExists(std::string_view cp932_path) { return FolderExists(WidePath(cp932_path)); }

bool CreateOneFolder(std::wstring_view path) {
  return ::CreateDirectoryW(ToLongPath(path).c_str(), nullptr) != FALSE;
}

bool CreateFolderTree(std::wstring_view path) {
  std::wstring p(path);
  while (!p.empty() && p.back() == L'\\') p.pop_back();
  if (p.empty()) return false;
  if (FolderExists(p)) return true;
  const size_t cut = p.find_last_of(L'\\');
  if (cut != std::wstring::npos && cut > 0) {
    const std::wstring parent = p.substr(0, cut);
    // A drive ("C:") or a share root has no parent to make.
    if (parent.size() > 2 && !FolderExists(parent + L'\\') && !CreateFolderTree(parent))
      return false;
  }
  if (CreateOneFolder(p)) return true;
  return ::GetLastError() == ERROR_ALREADY_EXISTS && FolderExists(p);
}

bool ForEachEntry(std::wstring_view folder,
                  const std::function<bool(const WIN32_FIND_DATAW&)>& visit) {
  WIN32_FIND_DATAW data;
  const std::wstring pattern = ToLongPath(std::wstring(folder) + L"*");
  UniqueFind find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!find) return false;
  do {
    if (!visit(data)) break;
  } while (::FindNextFileW(find.get(), &data));
  return true;
}

}  // namespace yx::win
