#include "lha/core/block_splitter.h"

#include <array>

namespace yx::lha {
namespace {

// Candidate cut points per range; more find better cuts at a cost in time.
constexpr size_t kParts = 8;
// Ranges shorter than this are not cut further.
constexpr size_t kMinBlock = 1024;

Histogram Difference(const Histogram& a, const Histogram& b) {
  Histogram d;
  for (int i = 0; i < kNumC; ++i) d.c[i] = a.c[i] - b.c[i];
  for (int i = 0; i < kNumP; ++i) d.p[i] = a.p[i] - b.p[i];
  d.codes = a.codes - b.codes;
  return d;
}

void Split(std::span<const uint32_t> all, size_t from, size_t to, const Histogram& whole,
           double whole_cost, std::vector<BlockCut>& cuts) {
  const size_t n = to - from;
  if (n >= 2 * kMinBlock) {
    // Histograms of [from, cut) for each candidate cut, in one pass.
    std::array<Histogram, kParts + 1> upto;
    std::array<size_t, kParts + 1> cut;
    for (size_t k = 0; k <= kParts; ++k) cut[k] = from + n * k / kParts;
    for (size_t k = 1; k < kParts; ++k) {
      upto[k] = upto[k - 1];
      upto[k].Add(all.subspan(cut[k - 1], cut[k] - cut[k - 1]));
    }
    double best = whole_cost, best_left = 0, best_right = 0;
    size_t best_k = 0;
    Histogram best_rest;
    for (size_t k = 1; k < kParts; ++k) {
      const Histogram rest = Difference(whole, upto[k]);
      const double left = EstimateBlockBits(upto[k]);
      const double right = EstimateBlockBits(rest);
      if (left + right < best) {
        best = left + right;
        best_k = k;
        best_left = left;
        best_right = right;
        best_rest = rest;
      }
    }
    if (best_k != 0) {
      Split(all, from, cut[best_k], upto[best_k], best_left, cuts);
      Split(all, cut[best_k], to, best_rest, best_right, cuts);
      return;
    }
  }
  if (n > kMaxBlockCodes) {
    // Too many codes for one block whatever the statistics say.
    const size_t mid = from + n / 2;
    Histogram left;
    left.Add(all.subspan(from, mid - from));
    const Histogram right = Difference(whole, left);
    Split(all, from, mid, left, EstimateBlockBits(left), cuts);
    Split(all, mid, to, right, EstimateBlockBits(right), cuts);
    return;
  }
  cuts.push_back({to, whole});
}

}  // namespace

std::vector<BlockCut> SplitBlocks(std::span<const uint32_t> symbols, const Histogram& h) {
  std::vector<BlockCut> cuts;
  if (symbols.empty()) return cuts;
  if (symbols.size() < 2 * kMinBlock) {  // too short to cut
    cuts.push_back({symbols.size(), h});
    return cuts;
  }
  Split(symbols, 0, symbols.size(), h, EstimateBlockBits(h), cuts);
  return cuts;
}

}  // namespace yx::lha
