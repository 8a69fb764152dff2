#pragma once
// MSB-first bits from an entry's packed data, for the older methods' decoders
// (-lh1-, -lzs-), which take a bit or a byte at a time. A damaged stream may
// read a few zero bits past its end, as their writers flush; more counts as
// cut short.
#include <cstdint>
#include <vector>

#include "lha/core/lh5_decoder.h"

namespace yx::lha {

class BitReader {
 public:
  explicit BitReader(const Lh5Decoder::Input& input) : input_(input), buffer_(16 * 1024) {}

  // False once the data has run out (more than a few bytes past its end) or
  // could not be read.
  [[nodiscard]] bool Ok() const { return ok_; }
  [[nodiscard]] uint32_t Bits(int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 1 | Bit();
    return v;
  }
  [[nodiscard]] uint32_t Bit() {
    if (left_ == 0) {
      current_ = NextByte();
      left_ = 8;
    }
    --left_;
    return (current_ >> left_) & 1u;
  }
  [[nodiscard]] uint8_t Byte() {
    if (left_ == 0) return NextByte();
    return static_cast<uint8_t>(Bits(8));
  }

 private:
  uint8_t NextByte() {
    if (at_ == size_) {
      const int64_t got = ended_ ? 0 : input_(buffer_.data(), buffer_.size());
      if (got < 0) ok_ = false;
      ended_ = got <= 0;
      at_ = 0;
      size_ = got > 0 ? static_cast<size_t>(got) : 0;
      if (size_ == 0) {
        if (++overrun_ > 4) ok_ = false;
        return 0;
      }
    }
    return buffer_[at_++];
  }

  const Lh5Decoder::Input& input_;
  std::vector<uint8_t> buffer_;
  size_t at_ = 0, size_ = 0;
  bool ended_ = false;
  bool ok_ = true;
  int overrun_ = 0;
  uint8_t current_ = 0;
  int left_ = 0;
};

}  // namespace yx::lha
