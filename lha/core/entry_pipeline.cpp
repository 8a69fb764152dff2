#include "lha/core/entry_pipeline.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace yx::lha {
namespace {

// An entry compressed ahead of its turn: the archive's bytes of it, header
// patched, in memory.
class MemoryArchive : public ArchiveSink {
 public:
  static constexpr size_t kKeptBuffer = 256 * 1024;

  bool Write(const uint8_t* data, size_t size) override {
    if (position_ + size > bytes_.size()) bytes_.resize(position_ + size);
    std::memcpy(bytes_.data() + position_, data, size);
    position_ += size;
    return true;
  }
  uint64_t Position() const override { return position_; }
  bool Seek(uint64_t position) override {
    if (position > bytes_.size()) return false;
    position_ = static_cast<size_t>(position);
    return true;
  }
  bool Truncate() override {
    bytes_.resize(position_);
    return true;
  }
  // The entry ends where the writer left the position (a stored fallback may
  // leave a longer compressed attempt behind it). A small one is copied and
  // the buffer kept for the next; a large one takes the buffer with it, so a
  // worker neither holds a second copy of it while it waits for its turn nor
  // keeps megabytes once it is written.
  [[nodiscard]] std::vector<uint8_t> Take() {
    std::vector<uint8_t> entry;
    if (bytes_.capacity() > kKeptBuffer) {
      entry.swap(bytes_);
      entry.resize(position_);
    } else {
      entry.assign(bytes_.begin(), bytes_.begin() + static_cast<ptrdiff_t>(position_));
      bytes_.clear();
    }
    position_ = 0;
    return entry;
  }

 private:
  std::vector<uint8_t> bytes_;
  size_t position_ = 0;
};

// A header is at most 64 KiB; a stored entry no larger than its file.
constexpr uint64_t kHeaderRoom = 64 * 1024;

class Pipeline {
 public:
  Pipeline(const NewEntries& add, ArchiveSink& out, const ParserOptions& options)
      : add_(add), out_(out), options_(options) {
    result_.sums.resize(add.Count());
  }

  WriteResult Run(int workers, const std::function<WriteStatus()>& before) {
    held_cap_ = kHeldOutputPerWorker * static_cast<uint64_t>(workers);
    std::vector<std::thread> threads;
    for (int k = 1; k < workers; ++k) {
      try {
        threads.emplace_back([this] { Work(); });
      } catch (const std::system_error&) {
        break;  // fewer workers, same archive
      }
    }
    WriteStatus s = WriteStatus::kOutOfMemory;
    std::exception_ptr before_failure;
    try {
      s = before();
    } catch (...) {
      before_failure = std::current_exception();
    }
    {
      std::unique_lock<std::mutex> held(lock_);
      if (before_failure && !failure_) failure_ = before_failure;
      writing_ = false;
      if (s != WriteStatus::kOk) Stop(s, 0);
      WriteReady(held);
    }
    changed_.notify_all();
    Work();
    for (std::thread& t : threads) t.join();
    // A fault of any thread reaches the caller as itself, not as a status.
    if (failure_) std::rethrow_exception(failure_);
    if (!stopped_ && next_write_ != add_.Count()) Stop(WriteStatus::kOutOfMemory, next_write_);
    if (stopped_) result_.sums.clear();
    return std::move(result_);
  }

 private:
  struct Slot {
    WriteStatus status = WriteStatus::kOk;
    std::vector<uint8_t> bytes;
    uint64_t reserved = 0;  // of held_
    bool ready = false;
  };

  [[nodiscard]] bool Large(size_t i) const {
    return !add_.IsFolder(i) && add_.ListedSize(i) > kCompressAtTurnAbove;
  }
  // With the lock held: room for the output of entry i, or i is the one
  // whose turn is next (the writer must never wait for a worker that waits).
  [[nodiscard]] bool MayClaim() const {
    const size_t i = next_claim_;
    return i == next_write_ || Large(i) || held_ + add_.ListedSize(i) + kHeaderRoom <= held_cap_;
  }
  void Stop(WriteStatus s, size_t entry) {
    if (stopped_) return;
    stopped_ = true;
    result_.status = s;
    result_.failed_entry = entry;
  }

  // Nothing may leave a thread's entry: the first fault stops every
  // worker and is rethrown by the thread that waits for them.
  void Work() noexcept {
    try {
      WorkOn();
    } catch (...) {
      {
        const std::lock_guard<std::mutex> held(lock_);
        if (!failure_) failure_ = std::current_exception();
        Stop(WriteStatus::kOutOfMemory, next_write_);
      }
      changed_.notify_all();
    }
  }

  void WorkOn() {
    EntryWriter writer(options_);
    MemoryArchive memory;
    std::unique_lock<std::mutex> held(lock_);
    for (;;) {
      changed_.wait(held, [&] { return stopped_ || next_claim_ == add_.Count() || MayClaim(); });
      if (stopped_ || next_claim_ == add_.Count()) return;
      const size_t i = next_claim_++;
      Slot& claimed = slots_.emplace_back();
      if (Large(i)) {
        changed_.wait(held, [&] { return stopped_ || (next_write_ == i && !writing_); });
        if (stopped_) return;
        writing_ = true;
        held.unlock();
        result_.sums[i].offset = out_.Position();
        const WriteStatus s = WriteEntry(writer, out_, add_.Make(i), result_.sums[i]);
        held.lock();
        writing_ = false;
        slots_.pop_front();
        ++next_write_;
        if (s == WriteStatus::kSourceUnreadable)
          result_.skipped.push_back(i);
        else if (s != WriteStatus::kOk)
          Stop(s, i);
      } else {
        claimed.reserved = add_.ListedSize(i) + kHeaderRoom;
        held_ += claimed.reserved;
        held.unlock();
        const WriteStatus s = WriteEntry(writer, memory, add_.Make(i), result_.sums[i]);
        std::vector<uint8_t> bytes = memory.Take();
        held.lock();
        Slot& done = slots_[i - next_write_];
        held_ = held_ - done.reserved + bytes.size();
        done.reserved = bytes.size();
        done.status = s;
        done.bytes = std::move(bytes);
        done.ready = true;
      }
      WriteReady(held);
      changed_.notify_all();
    }
  }

  // With the lock held: writes the finished entries whose turn has come, on
  // whichever thread finds them so.
  void WriteReady(std::unique_lock<std::mutex>& held) {
    while (!writing_ && !stopped_ && !slots_.empty() && slots_.front().ready) {
      Slot& next = slots_.front();
      if (next.status == WriteStatus::kSourceUnreadable) {
        // Left out: what was compressed of it goes with its buffer.
        result_.skipped.push_back(next_write_);
        held_ -= next.reserved;
        slots_.pop_front();
        ++next_write_;
        continue;
      }
      if (next.status != WriteStatus::kOk) return Stop(next.status, next_write_);
      writing_ = true;
      const size_t index = next_write_;
      held.unlock();
      result_.sums[index].offset = out_.Position();
      const bool written = out_.Write(next.bytes.data(), next.bytes.size());
      held.lock();
      writing_ = false;
      held_ -= next.reserved;
      slots_.pop_front();
      ++next_write_;
      if (!written) return Stop(WriteStatus::kWriteFailed, next_write_ - 1);
    }
  }

  const NewEntries& add_;
  ArchiveSink& out_;
  const ParserOptions& options_;
  std::mutex lock_;
  std::condition_variable changed_;
  size_t next_claim_ = 0;
  size_t next_write_ = 0;
  std::deque<Slot> slots_;  // entries next_write_ .. next_claim_ - 1
  uint64_t held_ = 0;       // output held or expected for the entries in slots_
  uint64_t held_cap_ = 0;
  bool writing_ = true;  // a thread writes to out_ (first: the kept entries)
  bool stopped_ = false;
  std::exception_ptr failure_;  // the first fault of any thread
  WriteResult result_;
};

}  // namespace

WriteResult WriteEntriesInParallel(const NewEntries& add, ArchiveSink& out,
                                   const ParserOptions& options, int workers,
                                   const std::function<WriteStatus()>& before) {
  Pipeline pipeline(add, out, options);
  return pipeline.Run(workers, before);
}

}  // namespace yx::lha
