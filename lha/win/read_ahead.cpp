#include "lha/win/read_ahead.h"

#include <windows.h>

#include <algorithm>
#include <system_error>

#include "lha/win/file_streams.h"

namespace yx::lha::win {
namespace {

// Most files fit whole; a larger one is read on by the compressor, with the
// system's own read-ahead of a sequential file.
constexpr size_t kHeadSize = 256 * 1024;
// How far ahead: a few files, and never more than a few MB held.
constexpr size_t kMaxFilesAhead = 16;
constexpr size_t kMaxBytesAhead = 4 * 1024 * 1024;

class Locked {
 public:
  explicit Locked(SRWLOCK& lock) : lock_(lock) { ::AcquireSRWLockExclusive(&lock_); }
  ~Locked() { ::ReleaseSRWLockExclusive(&lock_); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  SRWLOCK& lock_;
};

}  // namespace

ReadAhead::ReadAhead(size_t count, std::function<File(size_t)> file)
    : count_(count), file_(std::move(file)), errors_(count, ERROR_SUCCESS), claimed_(count) {
  if (count_ == 0) return;
  try {
    worker_ = std::thread([this]() noexcept {
      // Nothing may leave a thread's entry (it would end the process): the
      // taker rethrows it instead, and the command fails as for any fault.
      try {
        Run();
      } catch (...) {
        {
          const Locked locked(lock_);
          failure_ = std::current_exception();
        }
        ::WakeAllConditionVariable(&changed_);
      }
    });
  } catch (const std::system_error&) {
    // No thread to be had: every file is opened when it is taken.
  }
}

ReadAhead::~ReadAhead() {
  {
    const Locked locked(lock_);
    stop_ = true;
  }
  ::WakeAllConditionVariable(&changed_);
  if (worker_.joinable()) worker_.join();
}

void ReadAhead::Run() {
  for (size_t i = 0; i < count_; ++i) {
    {
      const Locked locked(lock_);
      // Once full, on again only when half is taken: waking for every file
      // taken would switch between the threads at every file.
      if (untaken_ >= kMaxFilesAhead || head_bytes_ >= kMaxBytesAhead) {
        worker_waits_ = true;
        while (!stop_ && !HalfTaken()) ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
        worker_waits_ = false;
      }
      if (stop_) return;
      if (claimed_[i]) {
        // Opened by its taker: its place is kept, as taken.
        ready_.emplace_back().taken = true;
        continue;
      }
    }
    const File file = file_(i);
    Opened o;
    o.file = FileContent::OpenFile(file.path);
    if (!o.file) o.error = ::GetLastError();
    if (o.file) {
      // A byte more than the listing said, so that a file read whole is
      // known to be at its end without another call.
      const auto want = static_cast<DWORD>(std::min<uint64_t>(file.size + 1, kHeadSize));
      o.head.resize(want);
      DWORD got = 0;
      if (::ReadFile(o.file.get(), o.head.data(), want, &got, nullptr)) {
        o.head.resize(got);
        o.head_is_all = got < want;
      } else {
        o.error = ::GetLastError();
        o.head.clear();
      }
      // Closing costs about as much as opening under Wine: here, not on a
      // compressing thread.
      if (o.head_is_all || o.error != ERROR_SUCCESS) o.file.reset();
    }
    bool wake = false;
    {
      const Locked locked(lock_);
      head_bytes_ += o.head.size();
      ++untaken_;
      ready_.push_back(std::move(o));
      wake = takers_waiting_ > 0;
    }
    if (wake) ::WakeAllConditionVariable(&changed_);
  }
}

bool ReadAhead::HalfTaken() const {
  return untaken_ <= kMaxFilesAhead / 2 && head_bytes_ <= kMaxBytesAhead / 2;
}

bool ReadAhead::TakeQueued(size_t index, Opened& o) {
  for (;;) {
    if (index < first_ready_) return false;  // taken before
    if (index < first_ready_ + ready_.size()) {
      Opened& slot = ready_[index - first_ready_];
      if (slot.taken) return false;
      o = std::move(slot);
      slot.taken = true;
      --untaken_;
      head_bytes_ -= o.head.size();
      while (!ready_.empty() && ready_.front().taken) {
        ready_.pop_front();
        ++first_ready_;
      }
      return true;
    }
    if (failure_) std::rethrow_exception(failure_);
    // Not read yet. Under Wine every open waits for its server, and with both
    // cores compressing that wait grows: only the thread's next file is waited
    // for; one further on is opened here, beside the thread's.
    if (index > first_ready_ + ready_.size() || worker_waits_) {
      claimed_[index] = true;
      return false;
    }
    ++takers_waiting_;
    ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
    --takers_waiting_;
  }
}

std::unique_ptr<ContentSource> ReadAhead::Take(size_t index) {
  if (worker_.joinable() && index < count_) {
    Opened o;
    bool queued = false, wake = false;
    {
      const Locked locked(lock_);
      queued = TakeQueued(index, o);
      wake = worker_waits_ && HalfTaken();
    }
    if (wake) ::WakeAllConditionVariable(&changed_);
    if (queued && o.error == ERROR_SUCCESS)
      return std::make_unique<FileContent>(std::move(o.file), std::move(o.head), o.head_is_all,
                                           &errors_[index]);
    // Tried again here: what failed a moment ago (a file held by another
    // program) may open now. Its reason stands unless this try says another.
    if (queued) errors_[index] = o.error;
  }
  if (index >= count_) return nullptr;
  auto content = std::make_unique<FileContent>(&errors_[index]);
  if (!content->Open(file_(index).path)) return nullptr;
  return content;
}

}  // namespace yx::lha::win
