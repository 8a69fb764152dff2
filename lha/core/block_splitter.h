#pragma once
// Where to end one Huffman block and start the next: statistics drift inside
// a file (a header then a table, text then machine code), and a block with its
// own tables pays off once its codes save more than the tables cost.
#include <cstdint>
#include <span>
#include <vector>

namespace yx::lha {

// Returns the end offsets of the blocks for `symbols` (the last is
// symbols.size()); no block holds more than 65535 codes.
[[nodiscard]] std::vector<size_t> SplitBlocks(std::span<const uint32_t> symbols);

}  // namespace yx::lha
