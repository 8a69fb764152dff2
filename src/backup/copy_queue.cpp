#include "backup/copy_queue.h"

#include <exception>
#include <optional>
#include <utility>

namespace yx::backup {

CopyQueue::CopyQueue(int threads, Report report, FileLinker* linker)
    : report_(std::move(report)), linker_(linker) {
  if (threads <= 1) return;
  try {
    for (int i = 0; i < threads; ++i) workers_.emplace_back([this] { Run(); });
  } catch (...) {
    // The threads already started must not outlive the queue they serve.
    Stop();
    throw;
  }
}

CopyQueue::~CopyQueue() { Stop(); }

void CopyQueue::Stop() noexcept {
  ::AcquireSRWLockExclusive(&lock_);
  stop_ = true;
  waiting_.clear();
  ::ReleaseSRWLockExclusive(&lock_);
  ::WakeAllConditionVariable(&queued_);
  for (std::thread& worker : workers_)
    if (worker.joinable()) worker.join();
  workers_.clear();
}

void CopyQueue::Run() noexcept {
  std::optional<FileCopier> copier;
  for (;;) {
    ::AcquireSRWLockExclusive(&lock_);
    while (waiting_.empty() && !stop_) ::SleepConditionVariableSRW(&queued_, &lock_, INFINITE, 0);
    if (stop_) {
      ::ReleaseSRWLockExclusive(&lock_);
      return;
    }
    Item* item = waiting_.front();
    waiting_.pop_front();
    ::ReleaseSRWLockExclusive(&lock_);

    try {
      if (!copier) copier.emplace();
      Place(*item, *copier);
    } catch (...) {
      // Only the paths' allocation can throw; the file is then not copied.
      item->error = ERROR_NOT_ENOUGH_MEMORY;
    }
    ::AcquireSRWLockExclusive(&lock_);
    item->done = true;
    ::ReleaseSRWLockExclusive(&lock_);
    ::WakeAllConditionVariable(&finished_);
  }
}

void CopyQueue::Place(Item& item, FileCopier& copier) {
  if (!item.earlier.empty() && linker_ != nullptr && linker_->Link(item.to, item.earlier)) {
    item.linked = true;
    return;
  }
  const bool hashed = placed_ && item.tag != kNoTag;
  if (const auto failure =
          copier.Copy(item.from, item.to, item.size, hashed ? &item.hash : nullptr))
    item.error = failure->error;
}

void CopyQueue::Add(std::wstring from, std::wstring to, uint64_t size, std::wstring earlier,
                    size_t tag) {
  auto item = std::make_unique<Item>(
      Item{std::move(from), std::move(to), size, std::move(earlier), 0, false, false, tag, {}});
  if (workers_.empty() || one_at_a_time_)
    CopyHere(std::move(item));
  else
    Queue(std::move(item));
}

void CopyQueue::CopyAlone(std::wstring from, std::wstring to, uint64_t size, std::wstring earlier,
                          DWORD idle_ms, const std::function<void()>& idle, size_t tag) {
  auto item = std::make_unique<Item>(
      Item{std::move(from), std::move(to), size, std::move(earlier), 0, false, false, tag, {}});
  WaitUntilAtMost(0, INFINITE, {});
  if (workers_.empty())
    CopyHere(std::move(item));
  else
    Queue(std::move(item));
  WaitUntilAtMost(0, idle_ms, idle);
}

void CopyQueue::CopyHere(std::unique_ptr<Item> item) {
  WaitUntilAtMost(0, INFINITE, {});
  Place(*item, copier_);
  item->done = true;
  order_.push_back(std::move(item));
}

void CopyQueue::Queue(std::unique_ptr<Item> item) {
  Item* queued = item.get();
  order_.push_back(std::move(item));
  ::AcquireSRWLockExclusive(&lock_);
  try {
    waiting_.push_back(queued);
  } catch (...) {
    ::ReleaseSRWLockExclusive(&lock_);
    order_.pop_back();
    throw;
  }
  ::ReleaseSRWLockExclusive(&lock_);
  ::WakeConditionVariable(&queued_);
}

void CopyQueue::AddFault(std::wstring path, DWORD error) {
  order_.push_back(
      std::make_unique<Item>(Item{std::move(path), {}, 0, {}, error, false, true, kNoTag, {}}));
}

void CopyQueue::ReportFinished() {
  while (!order_.empty()) {
    ::AcquireSRWLockShared(&lock_);
    const bool done = order_.front()->done;
    ::ReleaseSRWLockShared(&lock_);
    if (!done) return;
    const std::unique_ptr<Item> item = std::move(order_.front());
    order_.pop_front();
    if (item->linked) {
      ++tally_.linked;
    } else if (item->error == 0 && !item->to.empty()) {
      ++tally_.copied;
      tally_.copied_bytes += item->size;
    }
    if (item->error != 0 && report_) report_(item->from, item->error);
    if (item->error == 0 && item->tag != kNoTag && placed_)
      placed_(item->tag, item->linked, item->hash);
  }
}

void CopyQueue::WaitUntilAtMost(size_t limit, DWORD idle_ms, const std::function<void()>& idle) {
  for (;;) {
    ReportFinished();
    if (order_.size() <= limit) return;
    // The oldest copy is still running: wait for any to finish.
    ::AcquireSRWLockExclusive(&lock_);
    bool woke = true;
    if (!order_.front()->done)
      woke = ::SleepConditionVariableSRW(&finished_, &lock_, idle_ms, 0) != FALSE;
    ::ReleaseSRWLockExclusive(&lock_);
    if (!woke && idle) idle();
  }
}

}  // namespace yx::backup
