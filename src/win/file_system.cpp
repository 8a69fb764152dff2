#include "win/file_system.h"

#include <cstdint>
#include <cwchar>
#include <vector>

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

namespace {

// Length of "C:\" or of "\\server\share\" at the start of `path`; 0 for
// anything else (a relative path).
size_t RootLength(std::wstring_view path) {
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return 3;
  if (!path.starts_with(L"\\\\")) return 0;
  const size_t server = path.find(L'\\', 2);
  if (server == std::wstring_view::npos) return 0;
  const size_t share = path.find(L'\\', server + 1);
  return share == std::wstring_view::npos ? 0 : share + 1;
}

}  // namespace

std::wstring FullPath(std::wstring_view path) {
  const std::wstring given(path);
  if (given.empty() || given.starts_with(L"\\\\?\\")) return given;
  const size_t root = RootLength(given);
  if (root == 0) {
    DWORD n = ::GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (n == 0) return given;
    std::wstring full(n, L'\0');
    n = ::GetFullPathNameW(given.c_str(), n, full.data(), nullptr);
    if (n == 0 || n >= full.size()) return given;
    full.resize(n);
    return full;
  }
  // Resolved here rather than by GetFullPathNameW, which also cuts blanks
  // and dots from the end of a name: "Work " and "Data." are folders of
  // their own that the prefixed path reaches.
  std::vector<std::wstring_view> parts;
  const std::wstring_view rest = std::wstring_view(given).substr(root);
  for (size_t start = 0; start <= rest.size();) {
    size_t end = rest.find(L'\\', start);
    if (end == std::wstring_view::npos) end = rest.size();
    const std::wstring_view part = rest.substr(start, end - start);
    if (part == L"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != L".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::wstring full = given.substr(0, root);
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) full += L'\\';
    full += parts[i];
  }
  if (given.back() == L'\\' && !parts.empty()) full += L'\\';
  return full;
}

std::wstring WidePath(std::string_view cp932_path) {
  // Broken Shift-JIS names no file: converted leniently, a lone lead byte
  // would join the backslash after it into another character and the path
  // would lead somewhere else.
  if (!cp932::IsWellFormed(cp932_path)) return {};
  return FullPath(ToWide(cp932_path));
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
  // Up to the deepest folder that exists, then down making each one: a loop,
  // not a recursion, since a path may hold thousands of folders.
  std::vector<size_t> missing;
  for (size_t end = p.size(); !FolderExists(p.substr(0, end) + L'\\');) {
    missing.push_back(end);
    const size_t cut = p.find_last_of(L'\\', end - 1);
    // A drive ("C:") or a share root has no parent to make.
    if (cut == std::wstring::npos || cut <= 2) break;
    end = cut;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    const std::wstring folder = p.substr(0, *it);
    if (CreateOneFolder(folder)) continue;
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS && FolderExists(folder + L'\\')) continue;
    // The caller names the reason the folder could not be made, not that of
    // the look at what is in its way.
    ::SetLastError(error);
    return false;
  }
  return true;
}

std::wstring FolderKey(std::wstring_view folder) { return FolderKeyOfLong(LongFullPath(folder)); }

std::wstring LongFullPath(std::wstring_view folder) {
  std::wstring path(folder);
  std::wstring full(32768, L'\0');
  DWORD length =
      ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length > 0 && length < full.size()) path.assign(full.data(), length);
  length = ::GetLongPathNameW(path.c_str(), full.data(), static_cast<DWORD>(full.size()));
  if (length > 0 && length < full.size()) path.assign(full.data(), length);
  return path;
}

std::wstring FolderKeyOfLong(std::wstring_view long_path) {
  std::wstring path(long_path);
  while (path.size() > 1 && path.back() == L'\\') path.pop_back();
  if (!path.empty())
    ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, path.c_str(),
                    static_cast<int>(path.size()), path.data(), static_cast<int>(path.size()),
                    nullptr, nullptr, 0);
  // A path may be longer than an object name may be, and holds backslashes,
  // which a name must not: a hash of it (64-bit FNV-1a) names the folder.
  std::uint64_t hash = 14695981039346656037ull;
  for (const wchar_t c : path) {
    for (const unsigned byte : {unsigned(c) & 0xFF, unsigned(c) >> 8}) {
      hash ^= byte;
      hash *= 1099511628211ull;
    }
  }
  wchar_t hex[17] = {};
  std::swprintf(hex, 17, L"%016llx", static_cast<unsigned long long>(hash));
  return hex;
}

bool ForEachEntry(std::wstring_view folder,
                  const std::function<bool(const WIN32_FIND_DATAW&)>& visit,
                  const FindNextCall& find_next) {
  WIN32_FIND_DATAW data;
  const std::wstring pattern = ToLongPath(std::wstring(folder) + L"*");
  UniqueFind find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!find) return false;
  do {
    if (!visit(data)) return true;
  } while (find_next(find.get(), &data));
  // The end of the listing, or a read that failed part way (a share that
  // dropped): the latter is no end, and what was not listed is unknown.
  const DWORD error = ::GetLastError();
  if (error == ERROR_NO_MORE_FILES) return true;
  find.reset();
  ::SetLastError(error);
  return false;
}

}  // namespace yx::win
