#include "lha/core/lh5_decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "lha/core/crc16.h"
#include "lha/core/lh5_format.h"

namespace yx::lha {
namespace {

constexpr int kMaxCodeLength = 16;
// The c table's codes are mostly up to 12 bits long; the small tables' up to
// 8, and a longer direct table would cost more to fill per block than it saves.
constexpr int kFastBits = 12;
constexpr int kSmallFastBits = 8;
// Pieces smaller than the reader's cache: the header read just before
// brought them in already.
constexpr size_t kInputChunk = 16 * 1024;
constexpr size_t kOutputChunk = 256 * 1024;
// Zero bits a damaged stream may take past its end before it counts as cut.
constexpr int64_t kOverrunLimit = 16;

}  // namespace

// A canonical Huffman code as -lh5- assigns it (shorter codes first, equal
// lengths in symbol order): a direct table for codes of up to `bits`, and
// the first code of each longer length for the rest.
struct Lh5Decoder::Table {
  explicit Table(int fast_bits) : bits(fast_bits) {}
  int bits;
  std::array<uint16_t, 1 << kFastBits> fast{};  // symbol << 5 | length; 0: longer or unused
  std::array<uint32_t, kMaxCodeLength + 1> first_code{};
  std::array<uint16_t, kMaxCodeLength + 1> count{};
  std::array<uint16_t, kMaxCodeLength + 1> first_index{};
  std::array<uint16_t, kNumC> sorted{};
  int single = -1;  // the one symbol of a table sent as such: no bits at all

  [[nodiscard]] bool Build(const uint8_t* lengths, int n) {
    single = -1;
    count.fill(0);
    for (int s = 0; s < n; ++s) ++count[lengths[s]];
    count[0] = 0;
    int32_t left = 1;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
      left = left * 2 - count[len];
      if (left < 0) return false;  // more codes than a prefix code can hold
    }
    uint32_t code = 0;
    uint16_t index = 0;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
      first_code[len] = code;
      first_index[len] = index;
      index = static_cast<uint16_t>(index + count[len]);
      code = (code + count[len]) << 1;
    }
    std::array<uint16_t, kMaxCodeLength + 1> next = first_index;
    for (int s = 0; s < n; ++s)
      if (lengths[s] != 0) sorted[next[lengths[s]]++] = static_cast<uint16_t>(s);
    std::fill_n(fast.begin(), size_t{1} << bits, uint16_t{0});
    for (int len = 1; len <= bits; ++len) {
      for (int k = 0; k < count[len]; ++k) {
        const uint16_t symbol = sorted[first_index[len] + k];
        const uint32_t from = (first_code[len] + static_cast<uint32_t>(k)) << (bits - len);
        const uint32_t span = 1u << (bits - len);
        for (uint32_t e = 0; e < span; ++e)
          fast[from + e] = static_cast<uint16_t>(symbol << 5 | len);
      }
    }
    return true;
  }
};

// -lh4- shares -lh5-'s position code, which reaches 8 KiB back: its window
// is kept as large.
Lh5Decoder::Lh5Decoder(int window_bits)
    : window_bits_(std::max(window_bits, 13)),
      np_(window_bits <= 13 ? 14 : window_bits + 1),
      pbit_(window_bits > 13 ? 5 : 4),
      in_(kInputChunk),
      out_((size_t{1} << window_bits_) + kOutputChunk + kMaxMatch + 8) {}

bool Lh5Decoder::Refill() {
  if (count_ > 56) return true;
  // Most of the time eight bytes are at hand: one load, then as many whole
  // bytes as fit.
  if (in_size_ - in_at_ >= 8) {
    uint64_t v = 0;
    std::memcpy(&v, in_.data() + in_at_, 8);
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
    const int take = (64 - count_) >> 3;
    bits_ |= v >> count_;
    bits_ &= ~uint64_t{0} << (64 - count_ - take * 8);
    in_at_ += static_cast<size_t>(take);
    count_ += take * 8;
    return true;
  }
  while (count_ <= 56) {
    if (in_at_ == in_size_ && !input_ended_) {
      const int64_t got = (*input_)(in_.data(), in_.size());
      if (got < 0) return false;
      fetched_ += static_cast<uint64_t>(got);
      in_at_ = 0;
      in_size_ = static_cast<size_t>(got);
      input_ended_ = got == 0;
    }
    uint64_t byte = 0;
    if (in_at_ < in_size_) {
      byte = in_[in_at_++];
    } else if (++overrun_ > kOverrunLimit) {
      return false;
    }
    bits_ |= byte << (56 - count_);
    count_ += 8;
  }
  return true;
}

int Lh5Decoder::DecodeWith(const Table& table, uint64_t& bits, int& count) {
  if (table.single >= 0) return table.single;
  const uint16_t e = table.fast[bits >> (64 - table.bits)];
  if (e != 0) {
    bits <<= e & 31;
    count -= e & 31;
    return e >> 5;
  }
  for (int len = table.bits + 1; len <= kMaxCodeLength; ++len) {
    const uint32_t at = static_cast<uint32_t>(bits >> (64 - len)) - table.first_code[len];
    if (at < table.count[len]) {
      bits <<= len;
      count -= len;
      return table.sorted[table.first_index[len] + at];
    }
  }
  return -1;  // a code the table does not hold
}

int Lh5Decoder::DecodeSymbol(const Table& table) { return DecodeWith(table, bits_, count_); }

bool Lh5Decoder::ReadPtLengths(int count, int count_bits, int skip_after, Table& table) {
  if (!Refill()) return false;
  const int n = static_cast<int>(Get(count_bits));
  if (n == 0) {
    table.single = static_cast<int>(Get(count_bits));
    return table.single < count;
  }
  if (n > count) return false;
  std::array<uint8_t, kNumPt> lengths{};
  for (int i = 0; i < n;) {
    if (!Refill()) return false;
    int len = static_cast<int>(Get(3));
    if (len == 7) {
      while (Get(1) == 1)
        if (++len > kMaxCodeLength) return false;
    }
    lengths[static_cast<size_t>(i++)] = static_cast<uint8_t>(len);
    if (i == skip_after) i += static_cast<int>(Get(2));  // lengths that are zero
  }
  return table.Build(lengths.data(), count);
}

bool Lh5Decoder::ReadCLengths(Table& table, const Table& pt) {
  if (!Refill()) return false;
  const int n = static_cast<int>(Get(9));
  if (n == 0) {
    table.single = static_cast<int>(Get(9));
    return table.single < kNumC;
  }
  if (n > kNumC) return false;
  std::array<uint8_t, kNumC> lengths{};
  for (int i = 0; i < n;) {
    if (!Refill()) return false;
    const int c = DecodeSymbol(pt);
    if (c < 0) return false;
    if (c > 2) {
      lengths[static_cast<size_t>(i++)] = static_cast<uint8_t>(c - 2);
      continue;
    }
    const int zeros = c == 0   ? 1
                      : c == 1 ? static_cast<int>(Get(4)) + 3
                               : static_cast<int>(Get(9)) + 20;
    if (i + zeros > n) return false;
    i += zeros;
  }
  return table.Build(lengths.data(), kNumC);
}

bool Lh5Decoder::Decode(const Input& input, uint64_t original_size, uint16_t& crc, ByteSink* sink) {
  input_ = &input;
  in_at_ = in_size_ = 0;
  input_ended_ = false;
  bits_ = 0;
  count_ = 0;
  overrun_ = 0;
  // Decoders fill the window with spaces before the first byte.
  const size_t window = size_t{1} << window_bits_;
  std::memset(out_.data(), ' ', window);
  size_t pos = window, summed = window;
  Crc16 sum;
  Table pt(kSmallFastBits), c(kFastBits), p(kSmallFastBits);
  uint32_t left_in_block = 0;
  codes_left_ = 0;
  fetched_ = 0;
  for (uint64_t left = original_size; left > 0;) {
    if (left_in_block == 0) {
      if (!Refill()) return false;
      left_in_block = Get(16);
      if (left_in_block == 0 || !ReadPtLengths(kNumPt, 5, 3, pt) || !ReadCLengths(c, pt) ||
          !ReadPtLengths(np_, pbit_, -1, p))
        return false;
    }
    --left_in_block;
    // A match takes at most 16 + 16 + 15 bits.
    if (count_ < 48 && !Refill()) return false;
    // In locals: the bytes written below could alias the members, which
    // would then be stored and loaded again at every step.
    uint64_t bits = bits_;
    int count = count_;
    const int symbol = DecodeWith(c, bits, count);
    if (symbol < 0) return false;
    if (symbol < 256) {
      bits_ = bits;
      count_ = count;
      out_[pos++] = static_cast<uint8_t>(symbol);
      --left;
    } else {
      const int length = symbol - 256 + kMinMatch;
      const int ps = DecodeWith(p, bits, count);
      if (ps < 0 || ps >= np_ || static_cast<uint64_t>(length) > left) return false;
      size_t offset = static_cast<size_t>(ps);
      if (ps > 1) {
        offset = (size_t{1} << (ps - 1)) + static_cast<size_t>(bits >> (64 - (ps - 1)));
        bits <<= ps - 1;
        count -= ps - 1;
      }
      bits_ = bits;
      count_ = count;
      const uint8_t* from = out_.data() + pos - offset - 1;
      uint8_t* to = out_.data() + pos;
      if (offset + 1 >= 8) {
        // Eight bytes a step, a little past the end (the buffer has room):
        // what lies past the match is written again by what follows.
        for (int k = 0; k < length; k += 8) std::memcpy(to + k, from + k, 8);
      } else {
        for (int k = 0; k < length; ++k) to[k] = from[k];  // repeats what it copies
      }
      pos += static_cast<size_t>(length);
      left -= static_cast<uint64_t>(length);
    }
    if (pos >= window + kOutputChunk) {
      sum.Update(out_.data() + summed, pos - summed);
      if (sink && !sink->Write(out_.data() + summed, pos - summed)) return false;
      std::memmove(out_.data(), out_.data() + pos - window, window);
      pos = summed = window;
    }
  }
  sum.Update(out_.data() + summed, pos - summed);
  if (sink && !sink->Write(out_.data() + summed, pos - summed)) return false;
  crc = sum.Value();
  codes_left_ = left_in_block;
  // Every bit taken must have been in the packed data.
  return overrun_ * 8 <= count_;
}

}  // namespace yx::lha
