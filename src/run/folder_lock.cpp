#include "run/folder_lock.h"

#include "win/file_system.h"

namespace yx::run {

std::wstring FolderLockName(const std::string& app_dir, std::wstring_view purpose) {
  // Global: a scheduled run may be in another session than the open window.
  return L"Global\\Yorudex-" + std::wstring(purpose) + L"-" +
         win::FolderKey(win::WidePath(app_dir));
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
