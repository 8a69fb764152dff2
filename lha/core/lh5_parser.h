#pragma once
// Chooses the literals and matches of -lh5- for a stretch of input by lazy
// evaluation: the best match at a position is taken unless the next position
// offers a better one. "Better" is weighed in bits, with the costs the
// block's Huffman codes are expected to give (from the stretch before, or
// from the byte statistics for a file's first stretch), so a shorter match
// at a near distance can beat a longer one far back.
//
// The other way, `shortest_path_passes`, searches every position and finds
// the cheapest sequence of symbols under the same costs, re-weighed from its
// own outcome on each further pass. On the corpus of tools/lha-corpus one
// pass searching 16 links deep comes out 0.5 % smaller than lazy evaluation
// at 128 links, at 2.9 times the compression's CPU time (8 links: 0.2 %
// smaller at 2.5 times): the archiver keeps lazy evaluation, and
// bench/lha-bench.sh uses the other to show how small -lh5- can get.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "lha/core/lh5_block.h"
#include "lha/core/lh5_format.h"
#include "lha/core/match_finder.h"

namespace yx::lha {

struct ParserOptions {
  // Chain links followed per search: 128 came out 0.04 % smaller than 64 on
  // the corpus of tools/lha-corpus for about 6 % more compression time.
  int max_depth = 128;
  int nice_length = 128;         // a match this long ends the search and is taken at once
  int shortest_path_passes = 0;  // 0: lazy evaluation
};

class Lh5Parser {
 public:
  explicit Lh5Parser(const ParserOptions& options);

  // Parses positions [start, end) of `buffer`, whose byte 0 is match-finder
  // position `base`; bytes up to `size` are input (and MatchFinder::kReadSlack
  // more may be read). Appends the symbols to `symbols`.
  void Parse(const uint8_t* buffer, uint32_t base, size_t start, size_t end, size_t size,
             std::vector<uint32_t>& symbols);

  // The symbols the last Parse appended are counted as they come, for the
  // next stretch's costs and for the block splitter: their histogram, and
  // that of their first (k + 1) * kCountPoint symbols in CountPoints()[k].
  static constexpr size_t kCountPoint = 512;
  [[nodiscard]] const Histogram& StretchHistogram() const noexcept { return histogram_; }
  [[nodiscard]] std::span<const Histogram> CountPoints() const noexcept { return points_; }

  void Rebase(uint32_t delta) { finder_.Rebase(delta); }
  // Forgets the input and the statistics: a new file follows.
  void Reset();

 private:
  // Costs in 1/16 bit.
  struct CostModel {
    std::array<uint32_t, 256> literal{};
    std::array<uint32_t, kMaxMatch + 1> length{};
    std::array<uint32_t, kNumP> position{};
  };

  void ParseLazy(std::vector<uint32_t>& symbols);
  void Emit(uint32_t symbol, std::vector<uint32_t>& symbols) {
    symbols.push_back(symbol);
    Count(symbol);
  }
  void Count(uint32_t symbol) {
    histogram_.Add(symbol);
    if (histogram_.codes % kCountPoint == 0) points_.push_back(histogram_);
  }
  void ParseShortestPath(std::vector<uint32_t>& symbols);

  // The matches at position i, no longer than the stretch allows, and none
  // shorter than `shortest`.
  int Search(size_t i, Match* out, int shortest = kMinMatch);
  // The match of `list` that saves the most bits against literals, and how
  // many it saves (0 and no match when none saves any).
  Match Best(size_t i, const Match* list, int count, int& saving) const;
  void InsertRange(size_t from, size_t to);
  void FirstModel(size_t start, size_t end);
  void ModelFrom(const Histogram& h);

  ParserOptions options_;
  MatchFinder finder_;
  CostModel model_;
  bool have_model_ = false;
  Histogram histogram_;
  std::vector<Histogram> points_;

  // The stretch being parsed.
  const uint8_t* buffer_ = nullptr;
  uint32_t base_ = 0;
  size_t start_ = 0, end_ = 0, size_ = 0;
  // Literal costs summed from the start of the stretch.
  std::vector<uint32_t> literal_sum_;
  // The shortest-path parse's: every position's matches, and per position
  // the cheapest cost of reaching it and the step that does.
  std::vector<Match> matches_;
  std::vector<uint32_t> first_match_;
  std::vector<uint32_t> cost_;
  std::vector<uint32_t> step_;
};

}  // namespace yx::lha
