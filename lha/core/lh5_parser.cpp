#include "lha/core/lh5_parser.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

namespace yx::lha {
namespace {

constexpr uint32_t kScale = 16;
constexpr uint32_t kMaxCost = 24 * kScale;

uint32_t CostOf(double freq, double total) {
  const double bits = std::log2(total / freq);
  return std::min(kMaxCost, static_cast<uint32_t>(bits * kScale + 0.5));
}

}  // namespace

Lh5Parser::Lh5Parser(const ParserOptions& options)
    : options_(options), finder_(options.max_depth) {}

void Lh5Parser::Parse(const uint8_t* buffer, uint32_t base, size_t start, size_t end,
                      size_t size, std::vector<uint32_t>& symbols) {
  if (start >= end) return;
  FindMatches(buffer, base, start, end, size);
  if (options_.greedy_first) GreedyModel(buffer, start, end);
  else if (!have_model_) InitialModel(buffer, start, end);
  for (int pass = 1; pass < options_.passes; ++pass) {
    ShortestPath(buffer, start, end);
    Histogram h;
    std::vector<uint32_t> scratch;
    Trace(buffer, start, end, scratch, &h);
    ModelFrom(h);
  }
  Histogram h;
  ShortestPath(buffer, start, end);
  Trace(buffer, start, end, symbols, &h);
  // The next stretch starts from what this one ended with.
  ModelFrom(h);
  have_model_ = true;
}

void Lh5Parser::FindMatches(const uint8_t* buffer, uint32_t base, size_t start, size_t end,
                            size_t size) {
  const size_t n = end - start;
  first_.assign(n + 1, 0);
  pool_.clear();
  Match found[kMaxMatch];
  for (size_t i = start; i < end;) {
    first_[i - start] = static_cast<uint32_t>(pool_.size());
    const size_t avail = size - i;
    if (avail < kMinMatch) {
      ++i;
      continue;
    }
    const int count =
        finder_.FindAndInsert(buffer + i, base + static_cast<uint32_t>(i), static_cast<int>(avail), found);
    // A match may not run past the stretch: the next one starts there.
    const int room = static_cast<int>(std::min<size_t>(end - i, kMaxMatch));
    int longest = 0;
    for (int k = 0; k < count; ++k) {
      assert(std::memcmp(buffer + i, buffer + i - found[k].distance, found[k].length) == 0);
      Match m = found[k];
      if (m.length > room) m.length = static_cast<uint16_t>(room);
      if (m.length < kMinMatch || m.length <= longest) continue;
      pool_.push_back(m);
      longest = m.length;
    }
    if (longest < options_.nice_length) {
      ++i;
      continue;
    }
    // Long match: the positions it covers get no matches of their own, only
    // their place in the tree.
    for (size_t j = i + 1; j < i + static_cast<size_t>(longest); ++j) {
      first_[j - start] = static_cast<uint32_t>(pool_.size());
      if (options_.insert_skipped && size - j >= kMinMatch)
        finder_.Insert(buffer + j, base + static_cast<uint32_t>(j), static_cast<int>(size - j));
    }
    i += static_cast<size_t>(longest);
  }
  first_[n] = static_cast<uint32_t>(pool_.size());
}

void Lh5Parser::InitialModel(const uint8_t* buffer, size_t start, size_t end) {
  std::array<uint32_t, 256> count{};
  for (size_t i = start; i < end; ++i) ++count[buffer[i]];
  const double total = static_cast<double>(end - start) + 128.0;
  for (int b = 0; b < 256; ++b) model_.literal[b] = CostOf(count[b] + 0.5, total) + kScale;
  for (int l = kMinMatch; l <= kMaxMatch; ++l)
    model_.length[l] = static_cast<uint32_t>((4.0 + 1.5 * std::log2(l - 1.0)) * kScale);
  for (int p = 0; p < kNumP; ++p)
    model_.position[p] = (3 + static_cast<uint32_t>(ExtraBits(p))) * kScale;
}

void Lh5Parser::GreedyModel(const uint8_t* buffer, size_t start, size_t end) {
  Histogram h;
  const size_t n = end - start;
  for (size_t i = 0; i < n;) {
    if (first_[i] == first_[i + 1]) {
      h.Add(LiteralSymbol(buffer[start + i]));
      ++i;
      continue;
    }
    const Match m = pool_[first_[i + 1] - 1];
    h.Add(MatchSymbol(m.length, m.distance));
    i += m.length;
  }
  ModelFrom(h);
}

void Lh5Parser::ModelFrom(const Histogram& h) {
  double total = 0;
  for (uint32_t f : h.c) total += f;
  total += kNumC * 0.1;
  for (int b = 0; b < 256; ++b) model_.literal[b] = CostOf(h.c[b] + 0.1, total);
  for (int l = kMinMatch; l <= kMaxMatch; ++l)
    model_.length[l] = CostOf(h.c[l - kMinMatch + 256] + 0.1, total);
  double ptotal = kNumP * 0.1;
  for (uint32_t f : h.p) ptotal += f;
  for (int p = 0; p < kNumP; ++p)
    model_.position[p] =
        CostOf(h.p[p] + 0.1, ptotal) + static_cast<uint32_t>(ExtraBits(p)) * kScale;
}

void Lh5Parser::ShortestPath(const uint8_t* buffer, size_t start, size_t end) {
  const size_t n = end - start;
  cost_.assign(n + 1, UINT32_MAX);
  step_.resize(n + 1);
  cost_[0] = 0;
  for (size_t i = 0; i < n; ++i) {
    const uint32_t here = cost_[i];
    const uint32_t lit = here + model_.literal[buffer[start + i]];
    if (lit < cost_[i + 1]) {
      cost_[i + 1] = lit;
      step_[i + 1] = {1, 0};
    }
    int shorter = kMinMatch - 1;
    for (uint32_t k = first_[i]; k < first_[i + 1]; ++k) {
      const Match m = pool_[k];
      const uint32_t with_distance =
          here + model_.position[PSymbol(static_cast<uint32_t>(m.distance - 1))];
      const int every = std::min<int>(m.length, options_.all_lengths_below);
      for (int l = shorter + 1; l <= every; ++l) {
        const uint32_t c = with_distance + model_.length[l];
        if (c < cost_[i + l]) {
          cost_[i + l] = c;
          step_[i + l] = {static_cast<uint16_t>(l), m.distance};
        }
      }
      if (every < m.length) {
        const int l = m.length;
        const uint32_t c = with_distance + model_.length[l];
        if (c < cost_[i + l]) {
          cost_[i + l] = c;
          step_[i + l] = {static_cast<uint16_t>(l), m.distance};
        }
      }
      shorter = m.length;
    }
  }
}

void Lh5Parser::Trace(const uint8_t* buffer, size_t start, size_t end,
                      std::vector<uint32_t>& symbols, Histogram* histogram) {
  // Walk back from the end, then emit forward.
  const size_t n = end - start;
  std::vector<uint32_t>& path = cost_;  // reused: the costs are no longer needed
  size_t count = 0;
  for (size_t i = n; i > 0; i -= step_[i].length) path[count++] = static_cast<uint32_t>(i);
  const size_t first_symbol = symbols.size();
  symbols.reserve(first_symbol + count);
  size_t at = 0;
  while (count > 0) {
    const size_t to = path[--count];
    const Match s = step_[to];
    if (s.length == 1)
      symbols.push_back(LiteralSymbol(buffer[start + at]));
    else
      symbols.push_back(MatchSymbol(s.length, s.distance));
    at = to;
  }
  if (histogram) histogram->Add(std::span(symbols).subspan(first_symbol));
}

}  // namespace yx::lha
