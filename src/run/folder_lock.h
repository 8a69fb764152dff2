#pragma once
// Locks shared by every process of one program folder. A scheduler may start
// /AUTO while the window's run, or an earlier scheduled run, is still going:
// only one of them may run a backup (two would write the same dated folders),
// and a refused run still saves its log lines, so the saves of the month's
// log (read, add, replace) take turns as well. Each lock is a named mutex
// whose name comes from the program folder, so copies of the program in
// other folders keep their own; the system frees it when its holder ends,
// even when killed, so a dead run never blocks the next.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "win/unique_handle.h"

namespace yx::run {

class FolderLock {
 public:
  // The lock named `purpose` of the program folder `app_dir` (CP932),
  // waiting up to `wait_ms` for another holder to let go. nullopt with
  // `error` 0 when another holder keeps it, or with the system's error when
  // no lock could be made or waited for.
  [[nodiscard]] static std::optional<FolderLock> Take(const std::string& app_dir,
                                                      std::wstring_view purpose, DWORD wait_ms,
                                                      DWORD& error);

  FolderLock(FolderLock&&) noexcept = default;
  FolderLock& operator=(FolderLock&&) = delete;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  ~FolderLock();

 private:
  explicit FolderLock(win::UniqueKernelHandle mutex) : mutex_(std::move(mutex)) {}
  win::UniqueKernelHandle mutex_;
};

// The mutex name for a program folder: the same for every spelling of the
// folder (letter case, short names, a final backslash or not).
[[nodiscard]] std::wstring FolderLockName(const std::string& app_dir, std::wstring_view purpose);

}  // namespace yx::run
