#include "lha/core/bit_writer.h"

namespace yx::lha {

void BitWriter::Spill() {
  while (fill_ >= 8) {
    fill_ -= 8;
    out_.push_back(static_cast<uint8_t>(acc_ >> fill_));
  }
  acc_ &= (uint64_t{1} << fill_) - 1;
}

void BitWriter::Flush() {
  Spill();
  if (fill_ > 0) {
    out_.push_back(static_cast<uint8_t>(acc_ << (8 - fill_)));
    acc_ = 0;
    fill_ = 0;
  }
}

void BitWriter::TakeBytes(std::vector<uint8_t>& into) {
  Spill();
  into.swap(out_);
  out_.clear();
}

}  // namespace yx::lha
