#pragma once
// Long work off a window's thread. The window starts one job at a time on a
// thread of its own and keeps answering its messages meanwhile: what the job
// only shows, it writes into a state the window reads (base/progress_state.h)
// or hands over with PostToWindowThread and goes on; what needs the window's
// answer (a box, a question) it asks for through CallOnWindowThread, which the
// window's thread runs between two of its messages. Its end comes back as a
// posted call. No loop of messages is nested inside another: the window's
// own loop is the only one.
#include <windows.h>

#include <atomic>
#include <functional>

#include "win/unique_handle.h"

namespace yx::ui {

class Worker {
 public:
  Worker() = default;
  // Waits for a job still running (as Wait).
  ~Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  // From the window's thread only: a job started and its end not yet handled.
  [[nodiscard]] bool Busy() const noexcept { return busy_; }

  // Starts `job` on a thread of its own, unless one is busy (false). Once it
  // returns, `done` runs on the thread of `window` (a window of ui::Window),
  // Busy() already false; a fault the job threw is thrown there instead, so
  // the window's barrier keeps it as any handler's fault.
  bool Start(HWND window, std::function<void()> job, std::function<void()> done = {});

  // Waits for the job's thread to end (its end, posted, is then not
  // handled). Called while the job still runs (the loop ended early, on a
  // fault), it first destroys this thread's windows, so that no call the job
  // makes to them waits for an answer.
  void Wait() noexcept;

 private:
  struct Job;
  static DWORD WINAPI Entry(void* job) noexcept;

  win::UniqueKernelHandle thread_;
  bool busy_ = false;
  // Set by the job's thread once it no longer calls the window's thread.
  std::atomic<bool> ended_ = false;
};

}  // namespace yx::ui
