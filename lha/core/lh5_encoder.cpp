#include "lha/core/lh5_encoder.h"

#include <algorithm>
#include <cstring>

#include "lha/core/block_splitter.h"
#include "lha/core/lh5_block.h"

namespace yx::lha {
namespace {

// Positions parsed as one stretch, with one set of statistics.
constexpr size_t kStretch = 32 * 1024;
// History kept in front of a stretch: one to two windows, since the buffer
// slides by whole windows (the match finder's slots follow the position).
constexpr size_t kBufferSize = 2 * kWindowSize + kStretch + kMaxMatch;
static_assert(MatchFinder::kFirstPosition + kBufferSize + MatchFinder::kReadSlack <
              MatchFinder::kPositionLimit);

// A last block with fewer codes than this may join the next stretch's first.
constexpr size_t kCarryBelow = 32 * 1024;

// Input bytes a block stands for: a byte per literal, its length per match.
uint64_t InputOf(const Histogram& h) {
  uint64_t n = 0;
  for (int c = 0; c < kNumC; ++c) n += uint64_t{h.c[c]} * (c < 256 ? 1 : c - 256 + kMinMatch);
  return n;
}

}  // namespace

Lh5Encoder::Lh5Encoder(const ParserOptions& options)
    : parser_(options), buffer_(kBufferSize + MatchFinder::kReadSlack) {}

Lh5Encoder::Lh5Encoder(ByteSink& out, const ParserOptions& options) : Lh5Encoder(options) {
  Start(out);
}

void Lh5Encoder::Start(ByteSink& out) {
  out_ = &out;
  parser_.Reset();
  size_ = next_ = 0;
  symbols_.clear();
  waiting_ = Histogram{};
  carried_ = 0;
  bits_.Reset();
  packed_ = blocks_bits_ = blocks_input_ = 0;
  failed_ = false;
}

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
  if (!symbols_.empty()) {
    WriteBlock(symbols_, PlanBlock(waiting_), bits_);
    symbols_.clear();
    waiting_ = Histogram{};
  }
  bits_.Flush();
  return Drain();
}

bool Lh5Encoder::Incompressible() const noexcept {
  return blocks_input_ >= 64 * 1024 && blocks_bits_ >= blocks_input_ * 8;
}

bool Lh5Encoder::CodeStretch(bool last) {
  const size_t limit = last ? size_ : size_ - kMaxMatch;
  const size_t end = std::min(limit, next_ + kStretch);
  parser_.Parse(buffer_.data(), MatchFinder::kFirstPosition, next_, end, size_, symbols_);
  next_ = end;
  const bool done = last && next_ == size_;

  // Every block but the last is final. The last waits for the next stretch
  // while the input goes on and it is short enough that its tables weigh,
  // but only once: a block that waited before is written now, so no symbol
  // is weighed over and over.
  const std::vector<BlockCut> cuts =
      SplitBlocks(symbols_, {carried_, waiting_, parser_.StretchHistogram(), parser_.CountPoints(),
                             Lh5Parser::kCountPoint});
  const size_t last_start = cuts.size() > 1 ? cuts[cuts.size() - 2].end : 0;
  const bool carry = !done && last_start >= carried_ && symbols_.size() - last_start < kCarryBelow;
  size_t from = 0;
  for (size_t k = 0; k < cuts.size() && (!carry || k + 1 < cuts.size()); ++k) {
    const std::span<const uint32_t> block(symbols_.data() + from, cuts[k].end - from);
    const BlockPlan plan = PlanBlock(cuts[k].histogram);
    WriteBlock(block, plan, bits_);
    blocks_bits_ += plan.TotalBits();
    blocks_input_ += InputOf(cuts[k].histogram);
    from = cuts[k].end;
  }
  symbols_.erase(symbols_.begin(), symbols_.begin() + static_cast<ptrdiff_t>(from));
  carried_ = symbols_.size();
  waiting_ = carry ? cuts.back().histogram : Histogram{};
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
  return out_->Write(bytes_.data(), bytes_.size());
}

}  // namespace yx::lha
