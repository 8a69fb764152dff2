// The parse that finds, for a stretch, the sequence of literals and matches
// of the least cost under the model, rather than deciding greedily: the
// measure of how small -lh5- can get, at many times the time of lazy
// evaluation.
#include <algorithm>

#include "lha/core/lh5_parser.h"

namespace yx::lha {
namespace {

constexpr uint32_t kUnreached = 0xFFFFFFFF;
// step_ entries: 0 for a literal, else length << 16 | distance.
constexpr uint32_t StepOf(int length, int distance) {
  return static_cast<uint32_t>(length) << 16 | static_cast<uint32_t>(distance);
}

}  // namespace

void Lh5Parser::ParseShortestPath(std::vector<uint32_t>& symbols) {
  const size_t n = end_ - start_;
  matches_.clear();
  first_match_.resize(n + 1);
  Match found[kMaxMatch];
  for (size_t i = 0; i < n; ++i) {
    first_match_[i] = static_cast<uint32_t>(matches_.size());
    const int count = Search(start_ + i, found);
    matches_.insert(matches_.end(), found, found + count);
  }
  first_match_[n] = static_cast<uint32_t>(matches_.size());

  std::vector<uint32_t> path;
  for (int pass = 0; pass < options_.shortest_path_passes; ++pass) {
    if (pass > 0) {
      Histogram h;
      h.Add(path);
      ModelFrom(h);
    }
    cost_.assign(n + 1, kUnreached);
    step_.assign(n + 1, 0);
    cost_[0] = 0;
    for (size_t i = 0; i < n; ++i) {
      const uint32_t here = cost_[i];
      const uint32_t literal = here + model_.literal[buffer_[start_ + i]];
      if (literal < cost_[i + 1]) {
        cost_[i + 1] = literal;
        step_[i + 1] = 0;
      }
      // The matches come by rising length, each the nearest reaching its
      // length: every shorter length is reached at that distance or nearer.
      int shorter = kMinMatch - 1;
      for (uint32_t k = first_match_[i]; k < first_match_[i + 1]; ++k) {
        const Match m = matches_[k];
        const uint32_t at = here + model_.position[PSymbol(m.distance - 1u)];
        for (int length = shorter + 1; length <= m.length; ++length) {
          const uint32_t c = at + model_.length[length];
          if (c < cost_[i + length]) {
            cost_[i + length] = c;
            step_[i + length] = StepOf(length, m.distance);
          }
        }
        shorter = m.length;
      }
    }
    path.clear();
    for (size_t j = n; j > 0;) {
      const uint32_t s = step_[j];
      if (s == 0) {
        path.push_back(LiteralSymbol(buffer_[start_ + j - 1]));
        --j;
      } else {
        path.push_back(MatchSymbol(static_cast<int>(s >> 16), static_cast<int>(s & 0xFFFF)));
        j -= s >> 16;
      }
    }
    std::reverse(path.begin(), path.end());
  }
  symbols.insert(symbols.end(), path.begin(), path.end());
}

}  // namespace yx::lha
