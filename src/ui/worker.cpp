#include "ui/worker.h"

#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "ui/window.h"

namespace yx::ui {

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
  // A job may be waiting for this thread to answer a call: sent messages are
  // taken while waiting, nothing else.
  const HANDLE thread = thread_.get();
  while (::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) ==
         WAIT_OBJECT_0 + 1) {
    MSG msg;
    (void)::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  thread_.reset();
}

bool Worker::Start(HWND window, std::function<void()> job, std::function<void()> done) {
  if (busy_) return false;
  Wait();
  auto context = std::make_unique<Job>(Job{this, window, std::move(job), std::move(done)});
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
