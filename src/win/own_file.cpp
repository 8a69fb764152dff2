#include "win/own_file.h"

#include <string>

#include "win/file_system.h"
#include "win/unique_handle.h"

namespace yx::win {
namespace {

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

}  // namespace

bool ReachedThroughLink(HANDLE file, std::wstring_view path) {
  while (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
  const size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring_view::npos) return false;
  const std::wstring resolved = ResolvedPath(file);
  const std::wstring folder = ToLongPath(path.substr(0, slash + 1));
  const UniqueFile parent(::CreateFileW(
      folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (resolved.empty() || !parent) return false;
  const std::wstring parent_resolved = ResolvedPath(parent.get());
  if (parent_resolved.empty()) return false;
  const std::wstring own = parent_resolved + std::wstring(path.substr(slash));
  return ::CompareStringOrdinal(resolved.data(), static_cast<int>(resolved.size()), own.data(),
                                static_cast<int>(own.size()), TRUE) != CSTR_EQUAL;
}

}  // namespace yx::win
