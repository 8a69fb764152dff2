#pragma once
// Chooses the literals and matches of -lh5- for a stretch of input: a forward
// shortest-path search over every position, where a step costs the bits the
// block's Huffman codes are expected to spend on it. The costs come from the
// parse before (two passes over a stretch: the first finds the statistics,
// the second follows them), so frequent lengths and near distances win.
#include <array>
#include <cstdint>
#include <vector>

#include "lha/core/lh5_block.h"
#include "lha/core/lh5_format.h"
#include "lha/core/match_finder.h"

namespace yx::lha {

struct ParserOptions {
  int max_depth = 24;    // tree nodes visited per position
  int nice_length = 48;  // a match this long is taken without weighing others
  int passes = 1;
  int all_lengths_below = 256;  // lengths evaluated one by one up to this, then only each match's own
  bool greedy_first = true;  // statistics from a greedy parse of the stretch first
  bool insert_skipped = true;
};

class Lh5Parser {
 public:
  explicit Lh5Parser(const ParserOptions& options);

  // Parses positions [start, end) of `buffer`, whose byte 0 is stream
  // position `base`; bytes up to `size` may be read. `at_end`: the input ends
  // at `size`. Appends the symbols to `symbols`.
  void Parse(const uint8_t* buffer, uint32_t base, size_t start, size_t end, size_t size,
             std::vector<uint32_t>& symbols);

  void Rebase(uint32_t delta) { finder_.Rebase(delta); }

 private:
  // Costs in 1/16 bit.
  struct CostModel {
    std::array<uint32_t, 256> literal{};
    std::array<uint32_t, kMaxMatch + 1> length{};
    std::array<uint32_t, kNumP> position{};
  };

  void FindMatches(const uint8_t* buffer, uint32_t base, size_t start, size_t end, size_t size);
  void InitialModel(const uint8_t* buffer, size_t start, size_t end);
  void ModelFrom(const Histogram& h);
  void GreedyModel(const uint8_t* buffer, size_t start, size_t end);
  void ShortestPath(const uint8_t* buffer, size_t start, size_t end);
  void Trace(const uint8_t* buffer, size_t start, size_t end, std::vector<uint32_t>& symbols,
             Histogram* histogram);

  ParserOptions options_;
  MatchFinder finder_;
  CostModel model_;
  bool have_model_ = false;

  // Per position of the stretch: its matches in pool_[first_[i], first_[i + 1]).
  std::vector<uint32_t> first_;
  std::vector<Match> pool_;
  std::vector<uint32_t> cost_;
  std::vector<Match> step_;  // the step that reaches each position: length 1 = literal
};

}  // namespace yx::lha
