#include "lha/core/archive_check.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "lha/core/cached_source.h"
#include "lha/core/crc16.h"
#include "lha/core/header.h"
#include "lha/core/entry_decoder.h"

namespace yx::lha {
namespace {

// Entries a worker takes at once: few enough to share the work evenly.
constexpr size_t kBatch = 8;

bool SameAsKept(const ArchiveEntry& written, const KeptEntry& kept) {
  return written.header_size == kept.header_size && written.data_size == kept.data_size &&
         written.header_hash == kept.header_hash;
}

class Checker {
 public:
  Checker(RandomSource& source, EntryDecoder& decoder) : source_(source), decoder_(decoder) {}

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
    switch (decoder_.Decode(source_, e, nullptr)) {
      case DecodeStatus::kOk:
        return CheckStatus::kOk;
      case DecodeStatus::kReadError:
        return CheckStatus::kReadError;
      default:
        return CheckStatus::kMismatch;
    }
  }

 private:
  RandomSource& source_;
  EntryDecoder& decoder_;
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
      EntryDecoder decoder;
      Checker check(cached, decoder);
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
