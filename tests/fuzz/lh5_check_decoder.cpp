#include "lh5_check_decoder.h"

#include <array>

namespace yx::fuzz {
namespace {

class BitReader {
 public:
  BitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  // Reading past the end is an error: a complete stream never needs it.
  bool Bits(int n, uint32_t& value) {
    value = 0;
    for (int i = 0; i < n; ++i) {
      if (pos_ >= size_ * 8) return false;
      value = (value << 1) | ((data_[pos_ / 8] >> (7 - pos_ % 8)) & 1u);
      ++pos_;
    }
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// Canonical code: shorter codes first, symbols in order within a length.
class Table {
 public:
  bool Build(const uint8_t* lengths, int n) {
    single_ = -1;
    count_.fill(0);
    sorted_.clear();
    for (int i = 0; i < n; ++i) {
      if (lengths[i] > 16) return false;
      ++count_[lengths[i]];
    }
    count_[0] = 0;
    // Over-subscribed codes cannot be decoded; incomplete ones are only
    // an error if a missing code is met.
    int left = 1;
    for (int len = 1; len <= 16; ++len) {
      left <<= 1;
      left -= count_[len];
      if (left < 0) return false;
    }
    for (int len = 1; len <= 16; ++len)
      for (int i = 0; i < n; ++i)
        if (lengths[i] == len) sorted_.push_back(i);
    return true;
  }
  void Single(int symbol) { single_ = symbol; }
  bool Decode(BitReader& in, int& symbol) const {
    if (single_ >= 0) {
      symbol = single_;
      return true;
    }
    int code = 0, first = 0, index = 0;
    for (int len = 1; len <= 16; ++len) {
      uint32_t bit;
      if (!in.Bits(1, bit)) return false;
      code |= static_cast<int>(bit);
      const int count = count_[len];
      if (code - first < count) {
        symbol = sorted_[static_cast<size_t>(index + code - first)];
        return true;
      }
      index += count;
      first += count;
      first <<= 1;
      code <<= 1;
    }
    return false;
  }

 private:
  std::array<int, 17> count_{};
  std::vector<int> sorted_;
  int single_ = -1;
};

constexpr int kNc = 510, kNp = 14, kNt = 19;

// The temp and position tables: n lengths of 3 bits, 7 extended by 1-bits;
// after the third temp length, 2 bits of zero lengths to skip.
bool ReadPtLengths(BitReader& in, int most, int nbit, int special, Table& table) {
  uint32_t n;
  if (!in.Bits(nbit, n)) return false;
  if (n == 0) {
    uint32_t only;
    if (!in.Bits(nbit, only) || static_cast<int>(only) >= most) return false;
    table.Single(static_cast<int>(only));
    return true;
  }
  if (static_cast<int>(n) > most) return false;
  std::array<uint8_t, kNt> lengths{};
  int i = 0;
  while (i < static_cast<int>(n)) {
    uint32_t len;
    if (!in.Bits(3, len)) return false;
    if (len == 7) {
      uint32_t bit;
      do {
        if (!in.Bits(1, bit)) return false;
        if (bit) ++len;
        if (len > 16) return false;
      } while (bit);
    }
    lengths[static_cast<size_t>(i++)] = static_cast<uint8_t>(len);
    if (i == special) {
      uint32_t skip;
      if (!in.Bits(2, skip)) return false;
      if (i + static_cast<int>(skip) > static_cast<int>(n)) return false;
      while (skip-- > 0) lengths[static_cast<size_t>(i++)] = 0;
    }
  }
  return table.Build(lengths.data(), most);
}

bool ReadCLengths(BitReader& in, const Table& pt, Table& table) {
  uint32_t n;
  if (!in.Bits(9, n)) return false;
  if (n == 0) {
    uint32_t only;
    if (!in.Bits(9, only) || static_cast<int>(only) >= kNc) return false;
    table.Single(static_cast<int>(only));
    return true;
  }
  if (static_cast<int>(n) > kNc) return false;
  std::array<uint8_t, kNc> lengths{};
  int i = 0;
  while (i < static_cast<int>(n)) {
    int c;
    if (!pt.Decode(in, c)) return false;
    if (c <= 2) {
      uint32_t zeros = 1;
      if (c == 1) {
        if (!in.Bits(4, zeros)) return false;
        zeros += 3;
      } else if (c == 2) {
        if (!in.Bits(9, zeros)) return false;
        zeros += 20;
      }
      if (i + static_cast<int>(zeros) > static_cast<int>(n)) return false;
      while (zeros-- > 0) lengths[static_cast<size_t>(i++)] = 0;
    } else {
      lengths[static_cast<size_t>(i++)] = static_cast<uint8_t>(c - 2);
    }
  }
  return table.Build(lengths.data(), kNc);
}

}  // namespace

bool DecodeLh5(const uint8_t* packed, size_t packed_size, size_t original_size,
               std::vector<uint8_t>& out) {
  out.clear();
  BitReader in(packed, packed_size);
  while (out.size() < original_size) {
    uint32_t codes;
    if (!in.Bits(16, codes) || codes == 0) return false;
    Table pt, c, p;
    if (!ReadPtLengths(in, kNt, 5, 3, pt) || !ReadCLengths(in, pt, c) ||
        !ReadPtLengths(in, kNp, 4, -1, p))
      return false;
    for (uint32_t k = 0; k < codes; ++k) {
      if (out.size() >= original_size) return false;  // codes beyond the end
      int symbol;
      if (!c.Decode(in, symbol)) return false;
      if (symbol < 256) {
        out.push_back(static_cast<uint8_t>(symbol));
        continue;
      }
      const size_t length = static_cast<size_t>(symbol - 253);
      int position;
      if (!p.Decode(in, position)) return false;
      uint32_t offset = static_cast<uint32_t>(position);
      if (position > 1) {
        uint32_t extra;
        if (!in.Bits(position - 1, extra)) return false;
        offset = (1u << (position - 1)) + extra;
      }
      const size_t distance = offset + 1;
      if (distance > out.size() || distance > 8192) return false;
      if (out.size() + length > original_size) return false;
      for (size_t j = 0; j < length; ++j) out.push_back(out[out.size() - distance]);
    }
  }
  return true;
}

uint16_t Crc16Reference(const uint8_t* data, size_t size) {
  uint16_t crc = 0;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int b = 0; b < 8; ++b) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
  }
  return crc;
}

}  // namespace yx::fuzz
