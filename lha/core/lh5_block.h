#pragma once
// One -lh5- block: the count of codes, the three code-length tables and the
// codes themselves, each table a static canonical Huffman code for this block.
#include <array>
#include <cstdint>
#include <span>

#include "lha/core/bit_writer.h"
#include "lha/core/lh5_format.h"

namespace yx::lha {

struct Histogram {
  std::array<uint32_t, kNumC> c{};
  std::array<uint32_t, kNumP> p{};
  uint32_t codes = 0;

  void Add(uint32_t symbol) {
    ++c[CSymbol(symbol)];
    if (CSymbol(symbol) >= 256) ++p[PSymbol(Offset(symbol))];
    ++codes;
  }
  void Add(std::span<const uint32_t> symbols) {
    for (uint32_t s : symbols) Add(s);
  }
  void Add(const Histogram& other);
  // Takes away the counts of `other`, which this one includes.
  void Subtract(const Histogram& other);
};

// One step of the c-length table as the pt code carries it.
struct LengthToken {
  uint8_t pt;
  uint8_t extra_bits;
  uint16_t extra;
};

// The code lengths chosen for a block, with the exact size it will take.
struct BlockPlan {
  std::array<uint8_t, kNumC> c_len{};
  std::array<uint8_t, kNumP> p_len{};
  std::array<uint8_t, kNumPt> pt_len{};
  std::array<LengthToken, kNumC> tokens{};  // the c lengths as pt codes
  int token_count = 0;
  int c_used = 0, p_used = 0, pt_used = 0;
  uint64_t header_bits = 0;  // count and tables
  uint64_t data_bits = 0;
  [[nodiscard]] uint64_t TotalBits() const { return header_bits + data_bits; }
};

[[nodiscard]] BlockPlan PlanBlock(const Histogram& h);

// About the size PlanBlock would find, from the entropy of the codes and a
// rough price of the tables: enough to weigh where blocks should end, at a
// small part of the cost of building the codes.
[[nodiscard]] double EstimateBlockBits(const Histogram& h);

// Writes the block of 1..65535 codes whose histogram made `plan`.
void WriteBlock(std::span<const uint32_t> symbols, const BlockPlan& plan, BitWriter& out);

}  // namespace yx::lha
