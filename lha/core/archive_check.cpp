#include "lha/core/archive_check.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "lha/core/crc16.h"
#include "lha/core/header.h"
#include "lha/core/lh5_decoder.h"

namespace yx::lha {
namespace {

constexpr size_t kCache = 64 * 1024;
// Entries a worker takes at once: few enough to share the work evenly.
constexpr size_t kBatch = 8;

// Reads through a cache of 64 KiB: listing reads every header in two small
// pieces, each a file system call otherwise.
class CachedSource : public RandomSource {
 public:
  explicit CachedSource(std::unique_ptr<RandomSource> source)
      : source_(std::move(source)), cache_(kCache) {}
  uint64_t Size() const override { return source_->Size(); }
  bool ReadAt(uint64_t offset, uint8_t* data, size_t size, size_t& got) override {
    if (size >= kCache) return source_->ReadAt(offset, data, size, got);
    if (offset < start_ || offset + size > start_ + filled_) {
      if (!source_->ReadAt(offset, cache_.data(), kCache, filled_)) return false;
      start_ = offset;
    }
    got = static_cast<size_t>(std::min<uint64_t>(size, start_ + filled_ - offset));
    std::memcpy(data, cache_.data() + (offset - start_), got);
    return true;
  }

 private:
  std::unique_ptr<RandomSource> source_;
  std::vector<uint8_t> cache_;
  uint64_t start_ = 0;
  size_t filled_ = 0;
};

bool SameAsKept(const ArchiveEntry& written, const KeptEntry& kept) {
  return written.header_size == kept.header_size && written.data_size == kept.data_size &&
         written.header_hash == kept.header_hash;
}

int WindowBits(const EntryHeader& h) {
  const std::string m(h.method.data(), h.method.size());
  if (m == "-lh5-") return 13;
  if (m == "-lh6-") return 15;
  if (m == "-lh7-") return 16;
  return 0;
}

class Checker {
 public:
  Checker(RandomSource& source, Lh5Decoder& decoder, std::vector<uint8_t>& buffer)
      : source_(source), decoder_(decoder), buffer_(buffer) {}

  // The entry at `sum.offset`, which must end at `next`.
  [[nodiscard]] CheckStatus Entry(const EntrySum& sum, uint64_t next) {
    ArchiveEntry e;
    switch (ReadEntryAt(source_, sum.offset, e)) {
      case ListResult::kOk:
        break;
      case ListResult::kReadError:
        return CheckStatus::kReadError;
      default:
        return CheckStatus::kMismatch;
    }
    if (e.offset + e.TotalSize() != next) return CheckStatus::kMismatch;
    const EntryHeader& h = e.header;
    if (h.original_size != sum.size || h.crc != sum.crc) return CheckStatus::kMismatch;
    if (h.IsDirectory()) return sum.size == 0 ? CheckStatus::kOk : CheckStatus::kMismatch;
    uint64_t at = e.offset + e.header_size;
    uint64_t left = e.data_size;
    bool read_error = false;
    const auto input = [&](uint8_t* data, size_t size) -> int64_t {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(size, left));
      size_t got = 0;
      if (want == 0) return 0;
      if (!source_.ReadAt(at, data, want, got) || got != want) {
        read_error = true;
        return -1;
      }
      at += got;
      left -= got;
      return static_cast<int64_t>(got);
    };
    uint16_t crc = 0;
    if (const int bits = WindowBits(h); bits != 0) {
      if (bits != window_bits_) {
        decoder_ = Lh5Decoder(bits);
        window_bits_ = bits;
      }
      if (!decoder_.Decode(input, h.original_size, crc))
        return read_error ? CheckStatus::kReadError : CheckStatus::kMismatch;
    } else if (std::memcmp(h.method.data(), "-lh0-", 5) == 0) {
      if (e.data_size != h.original_size) return CheckStatus::kMismatch;
      Crc16 stored;
      for (int64_t got; (got = input(buffer_.data(), buffer_.size())) > 0;)
        stored.Update(buffer_.data(), static_cast<size_t>(got));
      if (read_error) return CheckStatus::kReadError;
      crc = stored.Value();
    } else {
      return CheckStatus::kMismatch;  // the writer writes no other method
    }
    return crc == sum.crc ? CheckStatus::kOk : CheckStatus::kMismatch;
  }

 private:
  RandomSource& source_;
  Lh5Decoder& decoder_;
  std::vector<uint8_t>& buffer_;
  int window_bits_ = 13;
};

}  // namespace

CheckResult CheckArchive(const std::function<std::unique_ptr<RandomSource>()>& open,
                         std::span<const KeptEntry> kept, std::span<const EntrySum> added,
                         int workers) {
  // The frame, on this thread: the kept entries as they were, the new ones
  // where the writer put them, the end mark last.
  uint64_t end = 0;
  {
    std::unique_ptr<RandomSource> source = open();
    if (!source) return {CheckStatus::kReadError, 0};
    CachedSource cached(std::move(source));
    for (const KeptEntry& k : kept) {
      ArchiveEntry e;
      const ListResult r = ReadEntryAt(cached, end, e);
      if (r == ListResult::kReadError) return {CheckStatus::kReadError, 0};
      if (r != ListResult::kOk || !SameAsKept(e, k)) return {CheckStatus::kMismatch, 0};
      end += e.TotalSize();
    }
    if (!added.empty()) {
      if (added.front().offset != end) return {CheckStatus::kMismatch, 0};
      ArchiveEntry last;
      const ListResult r = ReadEntryAt(cached, added.back().offset, last);
      if (r == ListResult::kReadError) return {CheckStatus::kReadError, added.size() - 1};
      if (r != ListResult::kOk) return {CheckStatus::kMismatch, added.size() - 1};
      end = last.offset + last.TotalSize();
    }
    uint8_t mark = 1;
    size_t got = 0;
    if (!cached.ReadAt(end, &mark, 1, got)) return {CheckStatus::kReadError, 0};
    if (got != 1 || mark != 0 || cached.Size() != end + 1) return {CheckStatus::kMismatch, 0};
  }

  std::atomic<size_t> next{0};
  std::mutex lock;
  CheckResult result;
  size_t first_bad = added.size();
  std::exception_ptr fault;  // the first of any thread, rethrown once all are done
  const auto fail = [&](CheckStatus s, size_t entry) {
    const std::lock_guard<std::mutex> held(lock);
    if (entry < first_bad) {
      first_bad = entry;
      result = {s, entry};
    }
    next = added.size();  // no further work for anyone
  };
  const auto work = [&]() noexcept {
    try {
      std::unique_ptr<RandomSource> source = open();
      if (!source) return fail(CheckStatus::kReadError, 0);
      CachedSource cached(std::move(source));
      Lh5Decoder decoder;
      std::vector<uint8_t> buffer(kCache / 4);  // through the cache, as the decoder reads
      Checker check(cached, decoder, buffer);
      for (;;) {
        const size_t from = next.fetch_add(kBatch);
        if (from >= added.size()) return;
        for (size_t i = from; i < std::min(from + kBatch, added.size()); ++i) {
          const uint64_t entry_end = i + 1 < added.size() ? added[i + 1].offset : end;
          if (const CheckStatus s = check.Entry(added[i], entry_end); s != CheckStatus::kOk)
            return fail(s, i);
        }
      }
    } catch (...) {
      {
        const std::lock_guard<std::mutex> held(lock);
        if (!fault) fault = std::current_exception();
      }
      fail(CheckStatus::kReadError, 0);  // no check, no replace
    }
  };
  std::vector<std::thread> threads;
  for (int k = 1; k < workers; ++k) {
    try {
      threads.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // fewer threads, same check
    }
  }
  work();
  for (std::thread& t : threads) t.join();
  if (fault) std::rethrow_exception(fault);
  return result;
}

}  // namespace yx::lha
