#pragma once
// Decodes -lh5- (and -lh4-, -lh6-, -lh7-, which differ only in their window)
// for extraction and for the archive's check of itself, where the data of an
// entry is read back from the new archive, decoded, and its CRC-16 and size
// compared with what was read from the source. Streaming: any size of entry
// in a fixed amount of memory.
#include <cstdint>
#include <functional>
#include <vector>

#include "lha/core/stream.h"

namespace yx::lha {

class Lh5Decoder {
 public:
  // `window_bits`: 12 for -lh4-, 13 for -lh5-, 15 for -lh6-, 16 for -lh7-.
  explicit Lh5Decoder(int window_bits = 13);

  // Fills `data` with up to `size` packed bytes and returns how many; 0 at
  // the end of the packed data; -1 on a read error.
  using Input = std::function<int64_t(uint8_t* data, size_t size)>;

  // Decodes `original_size` bytes, gives their CRC-16 and, with `out`, the
  // bytes. False when the data is damaged (a table that is no Huffman code,
  // a symbol out of range, packed data that ends too soon) or `out` failed.
  // Never more than `original_size` bytes, whatever the data says.
  [[nodiscard]] bool Decode(const Input& input, uint64_t original_size, uint16_t& crc,
                            ByteSink* out = nullptr);
  // After a Decode: the block still held codes when the stated size was
  // reached, so the data says it is longer than its header does.
  [[nodiscard]] bool LongerThanStated() const { return codes_left_ != 0; }
  // After a Decode: the packed bytes its bits came from.
  [[nodiscard]] uint64_t BytesUsed() const {
    return fetched_ - (in_size_ - in_at_) - static_cast<uint64_t>(count_ > 0 ? count_ / 8 : 0);
  }

 private:
  struct Table;
  [[nodiscard]] bool Refill();
  [[nodiscard]] uint32_t Peek(int n) const { return static_cast<uint32_t>(bits_ >> (64 - n)); }
  void Skip(int n) {
    bits_ <<= n;
    count_ -= n;
  }
  [[nodiscard]] uint32_t Get(int n) {
    const uint32_t v = Peek(n);
    Skip(n);
    return v;
  }
  [[nodiscard]] bool ReadPtLengths(int count, int count_bits, int skip_after, Table& table);
  [[nodiscard]] bool ReadCLengths(Table& table, const Table& pt);
  [[nodiscard]] int DecodeSymbol(const Table& table);
  [[nodiscard]] static int DecodeWith(const Table& table, uint64_t& bits, int& count);

  int window_bits_;
  int np_;  // position symbols
  int pbit_;
  const Input* input_ = nullptr;
  std::vector<uint8_t> in_;  // packed bytes read, not yet in bits_
  size_t in_at_ = 0, in_size_ = 0;
  bool input_ended_ = false;
  uint64_t bits_ = 0;    // MSB first
  int count_ = 0;        // valid bits in bits_, possibly fewer than 0 past the end
  int64_t overrun_ = 0;  // zero bits supplied past the end of the packed data
  std::vector<uint8_t> out_;
  uint32_t codes_left_ = 0;
  uint64_t fetched_ = 0;
};

}  // namespace yx::lha
