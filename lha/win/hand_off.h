#pragma once
// A bounded queue from one thread to another, in order: the giver waits for
// room, the taker for an item. Under Wine the system's slim lock and
// condition variable wait in the process, where the threads library's would
// ask Wine's server at every hand-over.
#include <windows.h>

#include <cstddef>
#include <deque>
#include <optional>
#include <utility>

namespace yx::lha::win {

template <class T>
class HandOff {
 public:
  // Room for `max_items`, and for `max_bytes` as the givers count them;
  // always for one item.
  HandOff(size_t max_items, size_t max_bytes) : max_items_(max_items), max_bytes_(max_bytes) {}
  HandOff(const HandOff&) = delete;
  HandOff& operator=(const HandOff&) = delete;

  void Push(T item, size_t bytes = 0) {
    ::AcquireSRWLockExclusive(&lock_);
    while (!items_.empty() && (bytes_ + bytes > max_bytes_ || items_.size() >= max_items_))
      ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
    items_.emplace_back(std::move(item), bytes);
    bytes_ += bytes;
    ::ReleaseSRWLockExclusive(&lock_);
    ::WakeAllConditionVariable(&changed_);
  }

  // The next item, once there; nothing once closed and empty. The item is in
  // hand until the taker asks again.
  std::optional<T> Pop() {
    ::AcquireSRWLockExclusive(&lock_);
    in_hand_ = false;
    ::WakeAllConditionVariable(&changed_);
    while (items_.empty() && !closed_) ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
    std::optional<T> item;
    if (!items_.empty()) {
      item.emplace(std::move(items_.front().first));
      bytes_ -= items_.front().second;
      items_.pop_front();
      in_hand_ = true;
    }
    ::ReleaseSRWLockExclusive(&lock_);
    ::WakeAllConditionVariable(&changed_);
    return item;
  }

  // Waits until every item given has been taken and dealt with.
  void WaitIdle() {
    ::AcquireSRWLockExclusive(&lock_);
    while (!items_.empty() || in_hand_) ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
    ::ReleaseSRWLockExclusive(&lock_);
  }

  // The taker ends once the queue is empty; with `drop`, what it holds is
  // dropped now.
  void Close(bool drop) {
    std::deque<std::pair<T, size_t>> dropped;
    ::AcquireSRWLockExclusive(&lock_);
    closed_ = true;
    if (drop) dropped.swap(items_);
    bytes_ = drop ? 0 : bytes_;
    ::ReleaseSRWLockExclusive(&lock_);
    ::WakeAllConditionVariable(&changed_);
  }

 private:
  const size_t max_items_, max_bytes_;
  SRWLOCK lock_ = SRWLOCK_INIT;
  CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
  std::deque<std::pair<T, size_t>> items_;
  size_t bytes_ = 0;
  bool in_hand_ = false;
  bool closed_ = false;
};

}  // namespace yx::lha::win
