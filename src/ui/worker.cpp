#include "ui/worker.h"

#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "ui/window.h"

namespace yx::ui {
namespace {

BOOL CALLBACK DestroyEach(HWND window, LPARAM) {
  ::DestroyWindow(window);
  return TRUE;
}

}  // namespace

struct Worker::Job {
  Worker* worker;
  HWND window;
  std::function<void()> job;
  std::function<void()> done;
};

DWORD WINAPI Worker::Entry(void* parameter) noexcept {
  std::unique_ptr<Job> j(static_cast<Job*>(parameter));
  std::exception_ptr fault;
  try {
    j->job();
  } catch (...) {
    fault = std::current_exception();
  }
  Worker* const self = j->worker;
  // From here on the job asks nothing more of the window's thread.
  self->ended_ = true;
  PostToWindowThread(j->window, [self, fault, done = std::move(j->done)] {
    self->Wait();
    self->busy_ = false;
    if (fault) std::rethrow_exception(fault);
    if (done) done();
  });
  return 0;
}

Worker::~Worker() { Wait(); }

void Worker::Wait() noexcept {
  if (!thread_) return;
  // A job that has not ended may be waiting for this thread to answer a call
  // to one of its windows. The loop that would answer is over (it ended
  // early, on a fault), so the thread's windows go first: a call to a window
  // that is gone returns at once without running, and the job runs to its
  // end without them instead of waiting for an answer that never comes.
  if (!ended_) {
    ::EnumThreadWindows(::GetCurrentThreadId(), &DestroyEach, 0);
  }
  ::WaitForSingleObject(thread_.get(), INFINITE);
  thread_.reset();
}

bool Worker::Start(HWND window, std::function<void()> job, std::function<void()> done) {
  if (busy_) return false;
  Wait();
  auto context = std::make_unique<Job>(Job{this, window, std::move(job), std::move(done)});
  ended_ = false;
  thread_.reset(::CreateThread(nullptr, 0, &Entry, context.get(), 0, nullptr));
  if (!thread_) {
    const DWORD error = ::GetLastError();
    throw std::runtime_error("CreateThread: error " + std::to_string(error));
  }
  (void)context.release();
  busy_ = true;
  return true;
}

}  // namespace yx::ui
