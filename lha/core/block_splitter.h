#pragma once
// Where to end one Huffman block and start the next: statistics drift inside
// a file (a header then a table, text then machine code), and a block with its
// own tables pays off once its codes save more than the tables cost.
#include <cstdint>
#include <span>
#include <vector>

#include "lha/core/lh5_block.h"

namespace yx::lha {

struct BlockCut {
  size_t end;           // offset just past the block's last symbol
  Histogram histogram;  // of the block's symbols
};

// What is counted of the symbols to split already: the first `waited` of
// them (histogram `waiting`) came from before, the rest (histogram `counted`)
// were counted with the histogram of their first (k + 1) * `every` in
// `points[k]`.
struct SymbolCounts {
  size_t waited = 0;
  Histogram waiting;
  Histogram counted;
  std::span<const Histogram> points;
  size_t every = 1;
};

// The blocks for `symbols`, in order; none holds more than 65535 codes.
[[nodiscard]] std::vector<BlockCut> SplitBlocks(std::span<const uint32_t> symbols,
                                                const SymbolCounts& counts);

}  // namespace yx::lha
