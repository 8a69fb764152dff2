#include "lha/core/lh5_encoder.h"

#include <algorithm>
#include <cstring>

#include "lha/core/block_splitter.h"
#include "lha/core/lh5_block.h"

namespace yx::lha {
namespace {

// Positions parsed as one stretch: one shortest-path search and one set of
// statistics.
constexpr size_t kStretch = 32 * 1024;
// History kept in front of a stretch: one to two windows, since the buffer
// slides by whole windows (the match finder's slots follow the position).
constexpr size_t kBufferSize = 2 * kWindowSize + kStretch + kMaxMatch;
static_assert(MatchFinder::kFirstPosition + kBufferSize + MatchFinder::kReadSlack <
              MatchFinder::kPositionLimit);

}  // namespace

Lh5Encoder::Lh5Encoder(ByteSink& out, const ParserOptions& options)
    : out_(out), parser_(options), buffer_(kBufferSize + MatchFinder::kReadSlack) {}

bool Lh5Encoder::Write(const uint8_t* data, size_t size) {
  while (size > 0 && !failed_) {
    const size_t take = std::min(size, kBufferSize - size_);
    std::memcpy(buffer_.data() + size_, data, take);
    size_ += take;
    data += take;
    size -= take;
    if (size_ == kBufferSize && !CodeStretch(false)) failed_ = true;
  }
  return !failed_;
}

bool Lh5Encoder::Finish() {
  while (!failed_ && next_ < size_)
    if (!CodeStretch(true)) failed_ = true;
  if (failed_) return false;
  bits_.Flush();
  return Drain();
}

bool Lh5Encoder::CodeStretch(bool last) {
  const size_t limit = last ? size_ : size_ - kMaxMatch;
  const size_t end = std::min(limit, next_ + kStretch);
  symbols_.clear();
  parser_.Parse(buffer_.data(), MatchFinder::kFirstPosition, next_, end, size_, symbols_);
  next_ = end;

  const std::vector<size_t> ends = SplitBlocks(symbols_);
  size_t from = 0;
  for (size_t to : ends) {
    const std::span<const uint32_t> block(symbols_.data() + from, to - from);
    Histogram h;
    h.Add(block);
    WriteBlock(block, PlanBlock(h), bits_);
    from = to;
  }
  if (!Drain()) return false;

  // Keep at least one window of history in front of the next stretch.
  const size_t drop = next_ > kWindowSize ? (next_ - kWindowSize) & ~size_t{kWindowSize - 1} : 0;
  if (drop > 0 && !last) {
    std::memmove(buffer_.data(), buffer_.data() + drop, size_ - drop);
    size_ -= drop;
    next_ -= drop;
    parser_.Rebase(static_cast<uint32_t>(drop));
  }
  return true;
}

bool Lh5Encoder::Drain() {
  bits_.TakeBytes(bytes_);
  if (bytes_.empty()) return true;
  packed_ += bytes_.size();
  return out_.Write(bytes_.data(), bytes_.size());
}

}  // namespace yx::lha
