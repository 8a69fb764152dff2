#include "app/folder_lock.h"

#include "win/file_system.h"

namespace yx::app {

std::wstring FolderLockName(const std::string& app_dir, std::wstring_view purpose) {
  // Global: a scheduled run may be in another session than the open window.
  return L"Global\\Yorudex-" + std::wstring(purpose) + L"-" +
         win::FolderKey(win::WidePath(app_dir));
}

std::optional<FolderLock> FolderLock::Take(const std::string& app_dir, std::wstring_view purpose,
                                           DWORD wait_ms) {
  const std::wstring name = FolderLockName(app_dir, purpose);
  win::UniqueKernelHandle mutex(::CreateMutexW(nullptr, FALSE, name.c_str()));
  if (!mutex) {
    // Access denied: it exists, made by a run of another user. Any other
    // failure must not stop every backup for good: the run goes unlocked.
    if (::GetLastError() == ERROR_ACCESS_DENIED) return std::nullopt;
    return FolderLock(std::move(mutex));
  }
  const DWORD waited = ::WaitForSingleObject(mutex.get(), wait_ms);
  // Abandoned: its holder was killed mid-run; the lock is now ours.
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return std::nullopt;
  return FolderLock(std::move(mutex));
}

FolderLock::~FolderLock() {
  if (mutex_) ::ReleaseMutex(mutex_.get());
}

}  // namespace yx::app
