#include "run/folder_lock.h"

#include <cstdint>
#include <cwchar>

#include "win/file_system.h"

namespace yx::run {

std::wstring FolderLockName(const std::string& app_dir, std::wstring_view purpose) {
  std::wstring path = win::WidePath(app_dir);
  std::wstring full(32768, L'\0');
  DWORD length =
      ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length > 0 && length < full.size()) path.assign(full.data(), length);
  length = ::GetLongPathNameW(path.c_str(), full.data(), static_cast<DWORD>(full.size()));
  if (length > 0 && length < full.size()) path.assign(full.data(), length);
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
  // Global: a scheduled run may be in another session than the open window.
  return L"Global\\Yorudex-" + std::wstring(purpose) + L"-" + std::wstring(hex);
}

std::optional<FolderLock> FolderLock::Take(const std::string& app_dir, std::wstring_view purpose,
                                           DWORD wait_ms, DWORD& error) {
  const std::wstring name = FolderLockName(app_dir, purpose);
  win::UniqueKernelHandle mutex(::CreateMutexW(nullptr, FALSE, name.c_str()));
  if (!mutex) {
    error = ::GetLastError();
    // Access denied: it exists, made by a run of another user, who holds it.
    if (error == ERROR_ACCESS_DENIED) error = 0;
    return std::nullopt;
  }
  const DWORD waited = ::WaitForSingleObject(mutex.get(), wait_ms);
  // Abandoned: its holder was killed mid-run; the lock is now ours.
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return FolderLock(std::move(mutex));
  error = waited == WAIT_FAILED ? ::GetLastError() : 0;
  return std::nullopt;
}

FolderLock::~FolderLock() {
  if (mutex_) ::ReleaseMutex(mutex_.get());
}

}  // namespace yx::run
