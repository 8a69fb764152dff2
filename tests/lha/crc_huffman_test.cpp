#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "lha/core/bit_writer.h"
#include "lha/core/crc16.h"
#include "lha/core/huffman.h"
#include "lha/core/lh5_block.h"
#include "lha/core/lh5_decoder.h"

namespace yx::lha {
namespace {

uint16_t BitwiseCrc(const std::vector<uint8_t>& data) {
  unsigned crc = 0;
  for (uint8_t b : data) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
  }
  return static_cast<uint16_t>(crc);
}

TEST(Crc16, ArcCheckValues) {
  const std::string check = "123456789";
  EXPECT_EQ(ComputeCrc16(reinterpret_cast<const uint8_t*>(check.data()), check.size()), 0xBB3D);
  EXPECT_EQ(ComputeCrc16(nullptr, 0), 0);
  const uint8_t a = 'A';
  EXPECT_EQ(ComputeCrc16(&a, 1), 0x30C0);
}

TEST(Crc16, PiecesOfAnyLengthMatchTheBitwiseDefinition) {
  std::vector<uint8_t> data(1000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 131 + (i >> 3));
  const uint16_t expected = BitwiseCrc(data);
  for (size_t piece : {1u, 3u, 4u, 5u, 7u, 8u, 9u, 15u, 16u, 64u, 999u}) {
    Crc16 crc;
    for (size_t at = 0; at < data.size(); at += piece)
      crc.Update(data.data() + at, std::min(piece, data.size() - at));
    EXPECT_EQ(crc.Value(), expected) << "piece " << piece;
  }
}

TEST(BitWriter, MostSignificantBitFirstAndZeroPadded) {
  BitWriter w;
  w.Put(1, 1);
  w.Put(0, 2);
  w.Put(0x1F, 5);     // byte 1: 1 00 11111
  w.Put(0xABCD, 16);  // bytes 2, 3
  w.Put(0x5, 3);      // 101 then padding
  w.Put(0xFFFFFFFF, 32);
  w.Flush();
  const std::vector<uint8_t> expected = {0x9F, 0xAB, 0xCD, 0xBF, 0xFF, 0xFF, 0xFF, 0xE0};
  EXPECT_EQ(w.Bytes(), expected);
}

double KraftSum(const std::vector<uint8_t>& lengths) {
  double sum = 0;
  for (uint8_t l : lengths)
    if (l) sum += 1.0 / static_cast<double>(1u << l);
  return sum;
}

TEST(Huffman, SkewedFrequenciesAreLimitedAndStayComplete) {
  // Fibonacci frequencies give an unlimited Huffman tree as deep as the alphabet.
  std::vector<uint32_t> freq(30);
  freq[0] = freq[1] = 1;
  for (size_t i = 2; i < freq.size(); ++i) freq[i] = freq[i - 1] + freq[i - 2];
  std::vector<uint8_t> lengths(freq.size());
  EXPECT_EQ(BuildCodeLengths(freq, 16, lengths), 30);
  EXPECT_EQ(*std::max_element(lengths.begin(), lengths.end()), 16);
  EXPECT_DOUBLE_EQ(KraftSum(lengths), 1.0);
  // Rarer symbols never get shorter codes.
  for (size_t i = 1; i < freq.size(); ++i) EXPECT_GE(lengths[i - 1], lengths[i]);
}

TEST(Huffman, UnusedSymbolsAndTheOneSymbolCase) {
  std::vector<uint32_t> freq(510, 0);
  std::vector<uint8_t> lengths(510);
  EXPECT_EQ(BuildCodeLengths(freq, 16, lengths), 0);
  freq[300] = 7;
  EXPECT_EQ(BuildCodeLengths(freq, 16, lengths), 1);
  EXPECT_EQ(lengths[300], 0);  // the format's one-symbol form carries it
  freq[2] = 1;
  EXPECT_EQ(BuildCodeLengths(freq, 16, lengths), 2);
  EXPECT_EQ(lengths[2], 1);
  EXPECT_EQ(lengths[300], 1);
  EXPECT_EQ(std::accumulate(lengths.begin(), lengths.end(), 0), 2);
}

TEST(Huffman, CanonicalCodesArePrefixFreeAndOrdered) {
  const std::vector<uint8_t> lengths = {3, 3, 0, 2, 4, 4, 2, 3};
  std::vector<uint16_t> codes(lengths.size());
  BuildCodes(lengths, codes);
  // Shorter lengths first, then by symbol: 3 -> 00, 6 -> 01, 0 -> 100, 1 -> 101, 7 -> 110,
  // 4 -> 1110, 5 -> 1111.
  EXPECT_EQ(codes[3], 0b00);
  EXPECT_EQ(codes[6], 0b01);
  EXPECT_EQ(codes[0], 0b100);
  EXPECT_EQ(codes[1], 0b101);
  EXPECT_EQ(codes[7], 0b110);
  EXPECT_EQ(codes[4], 0b1110);
  EXPECT_EQ(codes[5], 0b1111);
}

// Used symbols with gaps of every kind between them (runs of zero lengths
// that the c table cuts into tokens by their cost) and skewed counts: the
// block must take exactly the bits its plan says, and decode to its bytes.
TEST(Block, PlannedBitsAreWrittenAndDecode) {
  for (uint32_t seed : {1u, 2u, 3u, 4u}) {
    uint32_t state = seed;
    auto next = [&state](uint32_t n) {
      state = state * 1664525u + 1013904223u;
      return (state >> 8) % n;
    };
    std::vector<uint32_t> symbols;
    std::vector<uint8_t> bytes;
    for (int c = 0; c < 256; c += 1 + static_cast<int>(next(seed * 7))) {
      for (uint32_t k = 1 + next(40); k > 0; --k) {
        symbols.push_back(LiteralSymbol(static_cast<uint8_t>(c)));
        bytes.push_back(static_cast<uint8_t>(c));
      }
    }
    for (int length = kMinMatch; length <= kMaxMatch; length += 1 + static_cast<int>(next(60))) {
      symbols.push_back(MatchSymbol(length, 1));
      bytes.insert(bytes.end(), static_cast<size_t>(length), bytes.back());
    }
    Histogram h;
    h.Add(symbols);
    const BlockPlan plan = PlanBlock(h);
    BitWriter out;
    WriteBlock(symbols, plan, out);
    EXPECT_EQ(out.BitCount(), plan.TotalBits()) << seed;
    out.Flush();
    const std::vector<uint8_t> packed = out.Bytes();
    size_t at = 0;
    const Lh5Decoder::Input input = [&](uint8_t* data, size_t size) -> int64_t {
      const size_t n = std::min(size, packed.size() - at);
      std::copy_n(packed.begin() + static_cast<ptrdiff_t>(at), n, data);
      at += n;
      return static_cast<int64_t>(n);
    };
    Lh5Decoder decoder;
    uint16_t crc = 0;
    ASSERT_TRUE(decoder.Decode(input, bytes.size(), crc)) << seed;
    EXPECT_EQ(crc, ComputeCrc16(bytes.data(), bytes.size())) << seed;
  }
}

}  // namespace
}  // namespace yx::lha
