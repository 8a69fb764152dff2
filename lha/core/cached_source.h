#pragma once
// Reads an archive through a cache of 64 KiB: listing reads every header in
// two small pieces, and the decoders read packed data in pieces smaller than
// the cache, each a file system call otherwise.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "lha/core/stream.h"

namespace yx::lha {

class CachedSource : public RandomSource {
 public:
  static constexpr size_t kCache = 64 * 1024;
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

}  // namespace yx::lha
