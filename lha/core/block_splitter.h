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

// The blocks for `symbols`, in order; none holds more than 65535 codes.
[[nodiscard]] std::vector<BlockCut> SplitBlocks(std::span<const uint32_t> symbols);

}  // namespace yx::lha
