#include "lha/core/lh5_parser.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

namespace yx::lha {
namespace {

constexpr uint32_t kScale = 16;
constexpr uint32_t kMaxCost = 24 * kScale;
// Positions at each end of a long match that are still inserted.
constexpr size_t kLongEnds = 16;
// Matches shorter than this are weighed against the best two bytes on too.
constexpr int kLookTwoBelow = 5;
// A match put off by a byte must save this much more (1 bit per byte put
// off, in 1/16 bit): the saving it promises is only an estimate, since
// where it ends decides what can follow, while the literal it costs now is
// certain. And half a bit more per byte it reaches past the match it
// replaces: those bytes would be coded by something that saves bits too.
// Both tried on the corpus of tools/lha-corpus from 0 to 2 bits.
constexpr int kPutOffPrice = 16;
constexpr int kReachPrice = 8;
// Counts added to every symbol's when the costs are taken from a histogram:
// a symbol the stretch before did not use is dear, not out of reach.
constexpr uint32_t kUnseen = 1;

// log2 of a count, from a table for the counts that occur most: the costs
// are taken again for every stretch and every file, and std::log2 was a
// visible part of the time of an archive of many small files.
constexpr uint32_t kLog2Table = 8192;

double Log2(uint32_t n) {
  static const std::array<float, kLog2Table> table = [] {
    std::array<float, kLog2Table> t{};
    for (uint32_t k = 1; k < kLog2Table; ++k) t[k] = static_cast<float>(std::log2(k));
    return t;
  }();
  return n < kLog2Table ? table[n] : std::log2(static_cast<double>(n));
}

// The cost of a symbol counted `freq` times of `total`, given log2(total).
uint32_t CostOf(uint32_t freq, double log2_total) {
  const double bits = log2_total - Log2(freq);
  return std::min(kMaxCost, static_cast<uint32_t>(std::max(0.0, bits) * kScale + 0.5));
}

}  // namespace

Lh5Parser::Lh5Parser(const ParserOptions& options)
    : options_(options), finder_(options.max_depth, options.nice_length) {}

void Lh5Parser::Reset() {
  finder_.Reset();
  have_model_ = false;
}

void Lh5Parser::Parse(const uint8_t* buffer, uint32_t base, size_t start, size_t end, size_t size,
                      std::vector<uint32_t>& symbols) {
  histogram_ = Histogram{};
  points_.clear();
  if (start >= end) return;
  buffer_ = buffer;
  base_ = base;
  start_ = start;
  end_ = end;
  size_ = size;
  if (!have_model_) FirstModel(start, end);
  const size_t first_symbol = symbols.size();
  if (options_.shortest_path_passes > 0) {
    ParseShortestPath(symbols);
    for (size_t k = first_symbol; k < symbols.size(); ++k) Count(symbols[k]);
  } else {
    ParseLazy(symbols);  // counts as it goes
  }
  // The next stretch weighs its choices with what this one turned out to be.
  ModelFrom(histogram_);
  have_model_ = true;
}

void Lh5Parser::ParseLazy(std::vector<uint32_t>& symbols) {
  const uint8_t* buffer = buffer_;
  const size_t start = start_, end = end_;
  literal_sum_.resize(end - start + 1);
  literal_sum_[0] = 0;
  for (size_t k = start; k < end; ++k)
    literal_sum_[k - start + 1] = literal_sum_[k - start] + model_.literal[buffer[k]];

  Match here[kMaxMatch], next[kMaxMatch];
  int here_count = Search(start, here);
  for (size_t i = start; i < end;) {
    int saving = 0;
    const Match m = Best(i, here, here_count, saving);
    if (m.length == 0) {
      Emit(LiteralSymbol(buffer[i]), symbols);
      if (++i < end) here_count = Search(i, here);
      continue;
    }
    // Better one byte on (or two, for the shortest matches, which save the
    // least; looking that far for every match costs more time than it saves
    // bits): literals now, and that match is weighed next.
    size_t searched = i + 1;  // positions up to here are in the finder
    const size_t look = m.length >= options_.nice_length ? 0 : m.length < kLookTwoBelow ? 2 : 1;
    size_t later = 0;
    for (size_t ahead = 1; ahead <= look && i + ahead < end && later == 0; ++ahead) {
      // Only as long a match or longer: a shorter one later hardly ever
      // saves more (0.004 % of the corpus' size), and the search skips the
      // many candidates that cannot reach it (3 to 6 % of the time).
      const int next_count = Search(i + ahead, next, m.length);
      searched = i + ahead + 1;
      int next_saving = 0;
      const Match n = Best(i + ahead, next, next_count, next_saving);
      const int reach = static_cast<int>(ahead) + n.length - m.length;
      if (n.length != 0 &&
          next_saving > saving + kPutOffPrice * static_cast<int>(ahead) + kReachPrice * reach) {
        later = ahead;
        std::copy(next, next + next_count, here);
        here_count = next_count;
      }
    }
    if (later != 0) {
      for (; later > 0; --later) Emit(LiteralSymbol(buffer[i++]), symbols);
      continue;
    }
    Emit(MatchSymbol(m.length, m.distance), symbols);
    if (m.length < kMaxMatch) {
      InsertRange(searched, i + m.length);
    } else {
      // Inside a match of the longest length only its ends go into the
      // finder: the middle repeats what is already there, and a long run of
      // zeros would otherwise cost a store per byte.
      InsertRange(searched, i + kLongEnds);
      InsertRange(i + m.length - kLongEnds, i + m.length);
    }
    i += m.length;
    if (i < end) here_count = Search(i, here);
  }
}

int Lh5Parser::Search(size_t i, Match* out, int shortest) {
  const size_t avail = size_ - i;
  if (avail < kMinMatch) return 0;
  int count = finder_.FindAndInsert(buffer_ + i, base_ + static_cast<uint32_t>(i),
                                    static_cast<int>(avail), out, shortest);
  // A match may not run past the stretch: the next one starts there.
  if (i + kMaxMatch > end_) {
    const int room = static_cast<int>(end_ - i);
    int kept = 0;
    for (int k = 0; k < count; ++k) {
      Match m = out[k];
      m.length = static_cast<uint16_t>(std::min<int>(m.length, room));
      if (m.length >= kMinMatch && (kept == 0 || m.length > out[kept - 1].length)) out[kept++] = m;
    }
    count = kept;
  }
#ifndef NDEBUG
  for (int k = 0; k < count; ++k) {
    assert(out[k].distance >= 1 && out[k].distance <= kWindowSize && out[k].distance <= i);
    assert(std::memcmp(buffer_ + i, buffer_ + i - out[k].distance, out[k].length) == 0);
  }
#endif
  return count;
}

Match Lh5Parser::Best(size_t i, const Match* list, int count, int& saving) const {
  Match best{0, 0};
  saving = 0;
  const uint32_t from = literal_sum_[i - start_];
  for (int k = 0; k < count; ++k) {
    const Match m = list[k];
    const int s =
        static_cast<int>(literal_sum_[i - start_ + m.length] - from) -
        static_cast<int>(model_.length[m.length] + model_.position[PSymbol(m.distance - 1u)]);
    if (s > saving) {
      saving = s;
      best = m;
    }
  }
  return best;
}

void Lh5Parser::InsertRange(size_t from, size_t to) {
  for (size_t j = from; j < to; ++j)
    if (size_ - j >= kMinMatch)
      finder_.Insert(buffer_ + j, base_ + static_cast<uint32_t>(j), static_cast<int>(size_ - j));
}

void Lh5Parser::FirstModel(size_t start, size_t end) {
  // Literals by the bytes of the stretch; lengths and distances as they
  // typically come out (short and near ones the most).
  std::array<uint32_t, 256> count{};
  for (size_t i = start; i < end; ++i) ++count[buffer_[i]];
  // In half counts: half a count more for every byte.
  const double log2_total = Log2(static_cast<uint32_t>(2 * (end - start) + 256));
  for (int b = 0; b < 256; ++b)
    model_.literal[b] = CostOf(2 * count[b] + 1, log2_total) + kScale / 2;
  for (int l = kMinMatch; l <= kMaxMatch; ++l)
    model_.length[l] = static_cast<uint32_t>((4.0 + 1.2 * Log2(l - 2)) * kScale);
  for (int p = 0; p < kNumP; ++p)
    model_.position[p] = static_cast<uint32_t>((2.5 + ExtraBits(p)) * kScale);
}

void Lh5Parser::ModelFrom(const Histogram& h) {
  const double total = Log2(h.codes + kNumC * kUnseen);
  for (int b = 0; b < 256; ++b) model_.literal[b] = CostOf(h.c[b] + kUnseen, total);
  for (int l = kMinMatch; l <= kMaxMatch; ++l)
    model_.length[l] = CostOf(h.c[l - kMinMatch + 256] + kUnseen, total);
  uint32_t matches = 0;
  for (uint32_t f : h.p) matches += f;
  const double ptotal = Log2(matches + kNumP * kUnseen);
  for (int p = 0; p < kNumP; ++p)
    model_.position[p] =
        CostOf(h.p[p] + kUnseen, ptotal) + static_cast<uint32_t>(ExtraBits(p)) * kScale;
}

}  // namespace yx::lha
