#include "lha/core/crc16.h"

#include <array>

namespace yx::lha {
namespace {

// Eight tables, so the loop takes eight bytes per step: whole files pass
// through here, and a byte-at-a-time loop would be a visible part of the time.
using Tables = std::array<std::array<uint16_t, 256>, 8>;

constexpr Tables MakeTables() {
  Tables t{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xA001u : c >> 1;
    t[0][i] = static_cast<uint16_t>(c);
  }
  for (unsigned i = 0; i < 256; ++i) {
    for (size_t k = 1; k < 8; ++k)
      t[k][i] = static_cast<uint16_t>((t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF]);
  }
  return t;
}

constexpr Tables kTables = MakeTables();

}  // namespace

void Crc16::Update(const uint8_t* data, size_t size) noexcept {
  uint32_t c = value_;
  while (size >= 8) {
    const uint32_t x = c ^ (static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8);
    c = kTables[7][x & 0xFF] ^ kTables[6][(x >> 8) & 0xFF] ^ kTables[5][data[2]] ^
        kTables[4][data[3]] ^ kTables[3][data[4]] ^ kTables[2][data[5]] ^ kTables[1][data[6]] ^
        kTables[0][data[7]];
    data += 8;
    size -= 8;
  }
  while (size--) c = (c >> 8) ^ kTables[0][(c ^ *data++) & 0xFF];
  value_ = static_cast<uint16_t>(c);
}

uint16_t ComputeCrc16(const uint8_t* data, size_t size) noexcept {
  Crc16 crc;
  crc.Update(data, size);
  return crc.Value();
}

}  // namespace yx::lha
