#pragma once
// CRC-16/ARC (reflected polynomial 0xA001, initial value 0, no final XOR): the
// check value of an LHA entry's data and of a level-2 header.
#include <cstddef>
#include <cstdint>

namespace yx::lha {

class Crc16 {
 public:
  void Update(const uint8_t* data, size_t size) noexcept;
  [[nodiscard]] uint16_t Value() const noexcept { return value_; }

 private:
  uint16_t value_ = 0;
};

[[nodiscard]] uint16_t ComputeCrc16(const uint8_t* data, size_t size) noexcept;

}  // namespace yx::lha
