#pragma once
// MSB-first bit packing, the order of the -lh5- stream: the first bit written
// is the highest bit of the first byte.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace yx::lha {

class BitWriter {
 public:
  // Appends the low `count` bits of `bits`, highest first; count <= 32.
  void Put(uint32_t bits, unsigned count) {
    acc_ = (acc_ << count) | (bits & ((uint64_t{1} << count) - 1));
    fill_ += count;
    if (fill_ >= 32) {
      // Four whole bytes at once: this runs for every code of every block.
      fill_ -= 32;
      const auto word = static_cast<uint32_t>(acc_ >> fill_);
      const size_t n = out_.size();
      out_.resize(n + 4);
      out_[n] = static_cast<uint8_t>(word >> 24);
      out_[n + 1] = static_cast<uint8_t>(word >> 16);
      out_[n + 2] = static_cast<uint8_t>(word >> 8);
      out_[n + 3] = static_cast<uint8_t>(word);
    }
  }
  // Pads the last byte with zero bits.
  void Flush();
  // Empties the writer, keeping its memory.
  void Reset() {
    acc_ = 0;
    fill_ = 0;
    out_.clear();
  }
  // Bytes completed so far; a partial byte stays inside.
  [[nodiscard]] std::vector<uint8_t>& Bytes() noexcept { return out_; }
  [[nodiscard]] uint64_t BitCount() const noexcept { return out_.size() * 8 + fill_; }
  // Hands the completed bytes to the caller and keeps the partial byte.
  void TakeBytes(std::vector<uint8_t>& into);

 private:
  void Spill();

  uint64_t acc_ = 0;
  unsigned fill_ = 0;  // bits in acc_, below 32 between calls
  std::vector<uint8_t> out_;
};

}  // namespace yx::lha
