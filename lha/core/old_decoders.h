#pragma once
// The methods before -lh5-: -lh1- (LHarc: a 4 KiB window, lengths and
// literals in an adaptive Huffman code, the upper six bits of a position in a
// fixed code) and LArc's -lzs- (2 KiB window) and -lz5- (4 KiB window, its
// ring pre-filled with a fixed pattern). Each decodes exactly
// `original_size` bytes into `out` (when given) and gives their CRC-16;
// false when the data is damaged, runs out, says it is longer than
// `original_size`, or `out` fails.
#include <cstdint>

#include "lha/core/lh5_decoder.h"
#include "lha/core/stream.h"

namespace yx::lha {

[[nodiscard]] bool DecodeLh1(const Lh5Decoder::Input& input, uint64_t original_size, uint16_t& crc,
                             ByteSink* out);
[[nodiscard]] bool DecodeLzs(const Lh5Decoder::Input& input, uint64_t original_size, uint16_t& crc,
                             ByteSink* out);
[[nodiscard]] bool DecodeLz5(const Lh5Decoder::Input& input, uint64_t original_size, uint16_t& crc,
                             ByteSink* out);

}  // namespace yx::lha
