#include "lha/core/block_splitter.h"

#include <algorithm>

namespace yx::lha {
namespace {

// Candidate cut points over the whole run of symbols, at most; more find
// better cuts at a cost in time.
constexpr size_t kParts = 32;
// No candidate closer than this to the next: a block this short hardly ever
// pays for its tables.
constexpr size_t kMinPart = 512;
// Neither side of a cut among the candidates shorter than this.
constexpr size_t kMinCut = 256;
// The smallest step a cut is moved by.
constexpr size_t kFinestStep = 8;

Histogram Difference(Histogram a, const Histogram& b) {
  a.Subtract(b);
  return a;
}

// The candidate cuts and the histogram of the symbols before each: counted
// once, so a range at any depth of the splitting weighs its cuts by
// differences, without going over its symbols again.
struct Candidates {
  std::span<const uint32_t> symbols;
  std::vector<size_t> at;         // at[0] = 0, at.back() = the symbols' count
  std::vector<Histogram> before;  // of the symbols [0, at[k])
  size_t spacing = 0;             // between most candidates
};

// A range of symbols and what is known of it.
struct Range {
  size_t from, to;   // symbols [from, to)
  Histogram before;  // of the symbols [0, from)
  Histogram whole;   // of the range
  double cost;       // EstimateBlockBits(whole)
};

// The cut at `at` inside `r`: both sides' histograms and sizes.
struct Cut {
  size_t at = 0;
  Histogram first, rest;
  double left = 0, right = 0;
  [[nodiscard]] double Cost() const { return left + right; }
};

Cut CutAt(const Range& r, size_t at, const Histogram& before_at) {
  Cut c;
  c.at = at;
  c.first = Difference(before_at, r.before);
  c.rest = Difference(r.whole, c.first);
  c.left = EstimateBlockBits(c.first);
  c.right = EstimateBlockBits(c.rest);
  return c;
}

// Splits `r` at the cut that makes the two sides smallest, and each side
// again, while that saves bits. The cut is sought among the candidates, then
// moved by halving steps towards the better neighbour.
void Split(const Candidates& c, Range r, std::vector<BlockCut>& cuts) {
  Cut best;
  double best_cost = r.cost;
  bool found = false;
  for (size_t k = 1; k + 1 < c.at.size(); ++k) {
    if (c.at[k] <= r.from + kMinCut) continue;
    if (c.at[k] + kMinCut >= r.to) break;
    Cut cut = CutAt(r, c.at[k], c.before[k]);
    if (cut.Cost() < best_cost) {
      best_cost = cut.Cost();
      best = cut;
      found = true;
    }
  }
  if (!found && r.to - r.from > kMaxBlockCodes) {
    // Too many codes for one block whatever the statistics say.
    const size_t mid = r.from + (r.to - r.from) / 2;
    Histogram before_mid = r.before;
    before_mid.Add(c.symbols.subspan(r.from, mid - r.from));
    best = CutAt(r, mid, before_mid);
    found = true;
  }
  if (!found) {
    cuts.push_back({r.to, r.whole});
    return;
  }
  Histogram before_best = r.before;
  before_best.Add(best.first);
  for (size_t step = c.spacing / 2; step >= kFinestStep; step /= 2) {
    for (const bool later : {false, true}) {
      if (later ? best.at + step + kMinCut / 2 >= r.to : best.at <= r.from + step + kMinCut / 2)
        continue;
      const size_t at = later ? best.at + step : best.at - step;
      Histogram moved;
      moved.Add(c.symbols.subspan(std::min(at, best.at), step));
      Histogram before_at = before_best;
      if (later)
        before_at.Add(moved);
      else
        before_at.Subtract(moved);
      Cut cut = CutAt(r, at, before_at);
      if (cut.Cost() < best.Cost()) {
        best = cut;
        before_best = before_at;
        break;
      }
    }
  }
  Split(c, {r.from, best.at, r.before, best.first, best.left}, cuts);
  Split(c, {best.at, r.to, before_best, best.rest, best.right}, cuts);
}

}  // namespace

std::vector<BlockCut> SplitBlocks(std::span<const uint32_t> symbols, const SymbolCounts& counts) {
  std::vector<BlockCut> cuts;
  if (symbols.empty()) return cuts;
  const size_t n = symbols.size();
  Histogram all = counts.waiting;
  all.Add(counts.counted);
  // Every count point, or every second, third...: at most kParts of them,
  // none closer to the next than kMinPart.
  const size_t stride = std::max({size_t{1}, (counts.points.size() + kParts - 1) / kParts,
                                  (kMinPart + counts.every - 1) / counts.every});
  Candidates c;
  c.symbols = symbols;
  c.spacing = stride * counts.every;
  c.at.push_back(0);
  c.before.emplace_back();
  if (counts.waited > 0) {
    c.at.push_back(counts.waited);
    c.before.push_back(counts.waiting);
  }
  for (size_t k = stride - 1; k < counts.points.size(); k += stride) {
    const size_t at = counts.waited + (k + 1) * counts.every;
    if (at >= n) break;
    c.at.push_back(at);
    c.before.push_back(counts.waiting);
    c.before.back().Add(counts.points[k]);
  }
  c.at.push_back(n);
  c.before.push_back(all);
  Split(c, {0, n, Histogram{}, all, EstimateBlockBits(all)}, cuts);
  return cuts;
}

}  // namespace yx::lha
