#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "lha/core/bit_writer.h"
#include "lha/core/crc16.h"
#include "lha/core/huffman.h"

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

}  // namespace
}  // namespace yx::lha
