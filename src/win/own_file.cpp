#include "win/own_file.h"

#include <utility>

#include "win/file_system.h"
#include "win/unique_handle.h"

namespace yx::win {
namespace {

UniqueFile OpenToAsk(std::wstring_view path) {
  while (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
  return UniqueFile(::CreateFileW(ToLongPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// `path` without its final backslashes, split at the last one: (folder, name).
std::pair<std::wstring_view, std::wstring_view> FolderAndName(std::wstring_view path) {
  while (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
  const size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring_view::npos) return {};
  return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// A path as GetFinalPathNameByHandle gives it: "\\?\C:\x" as "C:\x",
// "\\?\UNC\s\x" as "\\s\x".
std::wstring_view WithoutLongPrefix(std::wstring_view path, std::wstring& unc) {
  if (path.starts_with(L"\\\\?\\UNC\\")) {
    unc = L"\\" + std::wstring(path.substr(7));
    return unc;
  }
  if (path.starts_with(L"\\\\?\\")) path.remove_prefix(4);
  return path;
}

bool SameNoCase(std::wstring_view a, std::wstring_view b) {
  return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The full path the system resolves an open file or folder to, without a
// final backslash; empty when it cannot say.
std::wstring ResolvedPath(HANDLE handle) {
  std::wstring path(32768, L'\0');
  const DWORD n = ::GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n == 0 || n >= path.size()) return {};
  path.resize(n);
  if (path.back() == L'\\') path.pop_back();
  return path;
}

// Of the file or folder at `path`, opened only to ask; empty also when it
// cannot be opened.
std::wstring ResolvedPath(std::wstring_view path) {
  const UniqueFile file = OpenToAsk(path);
  return file ? ResolvedPath(file.get()) : std::wstring();
}

// Whether a file the system resolves to `resolved` is the entry `name` of
// the folder it resolves to `folder_resolved`. True when either is empty
// (the system cannot say): the listing's word stands.
bool IsOwnEntry(std::wstring_view resolved, std::wstring_view folder_resolved,
                std::wstring_view name) {
  if (resolved.empty() || folder_resolved.empty()) return true;
  return SameNoCase(resolved, std::wstring(folder_resolved) + L'\\' + std::wstring(name));
}

}  // namespace

bool ReachedThroughLink(HANDLE file, std::wstring_view path) {
  const auto [folder, name] = FolderAndName(path);
  if (name.empty()) return false;
  const std::wstring resolved = ResolvedPath(file);
  if (resolved.empty()) return false;
  // Most files resolve to the very path they were opened by: no need to ask
  // where their folder lies (a second open, a third of a link's cost under
  // Wine, on every file a sweep deletes or a restore reads).
  std::wstring unc_resolved, unc_path;
  std::wstring_view opened = path;
  while (!opened.empty() && opened.back() == L'\\') opened.remove_suffix(1);
  if (SameNoCase(WithoutLongPrefix(resolved, unc_resolved), WithoutLongPrefix(opened, unc_path)))
    return false;
  return !IsOwnEntry(resolved, ResolvedPath(folder), name);
}

DWORD CheckOwnFile(std::wstring_view path) {
  const UniqueFile file = OpenToAsk(path);
  if (!file) return ::GetLastError();
  return ReachedThroughLink(file.get(), path) ? kReachedThroughLink : ERROR_SUCCESS;
}

}  // namespace yx::win
