#pragma once
// Canonical Huffman codes as -lh5- stores them: only the code lengths travel;
// codes are handed out by increasing length, and by symbol within a length.
#include <cstdint>
#include <span>

namespace yx::lha {

inline constexpr int kMaxCodeBits = 16;

// Code lengths for the given frequencies, none above max_bits; unused symbols
// get 0. With two or more used symbols the code is complete (Kraft sum 1),
// which some decoders insist on; a single used symbol gets length 0 too (the
// format has a one-symbol form for that). Returns the number of used symbols.
int BuildCodeLengths(std::span<const uint32_t> freq, int max_bits, std::span<uint8_t> lengths);

// Canonical codes for the lengths.
void BuildCodes(std::span<const uint8_t> lengths, std::span<uint16_t> codes);

}  // namespace yx::lha
