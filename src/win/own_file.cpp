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

}  // namespace

std::wstring ResolvedPath(HANDLE handle) {
  std::wstring path(32768, L'\0');
  const DWORD n = ::GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n == 0 || n >= path.size()) return {};
  path.resize(n);
  if (path.back() == L'\\') path.pop_back();
  return path;
}

std::wstring ResolvedPath(std::wstring_view path) {
  const UniqueFile file = OpenToAsk(path);
  return file ? ResolvedPath(file.get()) : std::wstring();
}

bool IsOwnEntry(std::wstring_view resolved, std::wstring_view folder_resolved,
                std::wstring_view name) {
  if (resolved.empty() || folder_resolved.empty()) return true;
  const std::wstring own = std::wstring(folder_resolved) + L'\\' + std::wstring(name);
  return ::CompareStringOrdinal(resolved.data(), static_cast<int>(resolved.size()), own.data(),
                                static_cast<int>(own.size()), TRUE) == CSTR_EQUAL;
}

bool ReachedThroughLink(HANDLE file, std::wstring_view path) {
  const auto [folder, name] = FolderAndName(path);
  if (name.empty()) return false;
  const std::wstring resolved = ResolvedPath(file);
  return !resolved.empty() && !IsOwnEntry(resolved, ResolvedPath(folder), name);
}

DWORD CheckOwnFile(std::wstring_view path) {
  const UniqueFile file = OpenToAsk(path);
  if (!file) return ::GetLastError();
  return ReachedThroughLink(file.get(), path) ? kReachedThroughLink : ERROR_SUCCESS;
}

}  // namespace yx::win
