#pragma once
// One backup run at a time per program folder. A scheduler may start /AUTO
// while the window's run, or an earlier scheduled run, is still going; two
// runs at once would write the same log and the same dated folders. The lock
// is a named mutex whose name comes from the program folder, so copies of the
// program in other folders keep their own; the system frees it when its
// holder ends, even when killed, so a dead run never blocks the next.
#include <optional>
#include <string>

#include "win/unique_handle.h"

namespace yx::app {

class RunLock {
 public:
  // The lock of the program folder `app_dir` (CP932), or nullopt while
  // another run holds it.
  [[nodiscard]] static std::optional<RunLock> Take(const std::string& app_dir);

  RunLock(RunLock&&) noexcept = default;
  RunLock& operator=(RunLock&&) = delete;
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;
  ~RunLock();

 private:
  explicit RunLock(win::UniqueKernelHandle mutex) : mutex_(std::move(mutex)) {}
  win::UniqueKernelHandle mutex_;
};

// The mutex name for a program folder: the same for every spelling of the
// folder (letter case, short names, a final backslash or not).
[[nodiscard]] std::wstring RunLockName(const std::string& app_dir);

}  // namespace yx::app
