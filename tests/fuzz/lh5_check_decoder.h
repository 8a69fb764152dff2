#pragma once
// A -lh5- decoder written from the format notes alone, for the fuzzer to
// check the encoder against: it shares no code with the library, so a
// misreading of the format on either side shows up as a mismatch. It stops
// (returns false) at anything the format does not allow instead of guessing.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace yx::fuzz {

[[nodiscard]] bool DecodeLh5(const uint8_t* packed, size_t packed_size, size_t original_size,
                             std::vector<uint8_t>& out);

// CRC-16 as LHA uses it (reflected 0xA001, start 0), bit by bit.
[[nodiscard]] uint16_t Crc16Reference(const uint8_t* data, size_t size);

}  // namespace yx::fuzz
