#pragma once
// Archives of the kinds the sample folder lacks, built from the bytes the
// format gives them; for the native and the Windows tests.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "lha/core/crc16.h"

namespace yx::lha::test {

using Bytes = std::vector<uint8_t>;

// A stored (-lh0-) entry, level 0 or 1: 0 the size of the base part after
// these two bytes, 1 their sum, 2 the method, 7 packed and 11 original size,
// 15 MS-DOS time then date (2009-01-01 00:00), 19 attribute 0x20, 20 level,
// 21 name length, 22 the name, the data's CRC-16, then `tail` (level 0: an
// extension area; level 1: the OS id and a next-ext size of 0).
inline Bytes StoredEntry(int level, const std::string& name, const std::string& data,
                         const Bytes& tail) {
  const auto size = static_cast<uint32_t>(data.size());
  const uint16_t crc = ComputeCrc16(reinterpret_cast<const uint8_t*>(data.data()), data.size());
  Bytes b = {0, 0, '-', 'l', 'h', '0', '-'};
  for (const uint32_t v : {size, size, 0x3A210000u})
    for (int i = 0; i < 32; i += 8) b.push_back(static_cast<uint8_t>(v >> i));
  b.insert(b.end(), {0x20, static_cast<uint8_t>(level), static_cast<uint8_t>(name.size())});
  b.insert(b.end(), name.begin(), name.end());
  b.insert(b.end(), {static_cast<uint8_t>(crc), static_cast<uint8_t>(crc >> 8)});
  b.insert(b.end(), tail.begin(), tail.end());
  b[0] = static_cast<uint8_t>(b.size() - 2);
  for (size_t i = 2; i < b.size(); ++i) b[1] = static_cast<uint8_t>(b[1] + b[i]);
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

inline Bytes Archive(std::initializer_list<Bytes> parts) {
  Bytes b;
  for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
  return b;
}

inline const Bytes kMacLevel1 = {'m', 0, 0};  // MacLHA's OS id, no ext header
inline constexpr char kLicence[] = "GNU GENERAL PUBLIC LICENSE\n";

// kLicence as MacBinary II named "gpl-2" with a 10-byte resource fork: 1 name
// length, 2 name, 65 type and creator, 83 and 87 the forks' lengths
// (big-endian), 122 and 123 the versions (129), 124 the CRC of bytes 0-123
// (Python's binascii.crc_hqx(header[:124], 0): 0x02BB); each fork padded to
// 128 bytes.
inline std::string MacBinaryLicence() {
  std::string b(128, '\0');
  const auto put = [&b](size_t at, std::string_view bytes) {
    std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<ptrdiff_t>(at));
  };
  put(1, "\5gpl-2");
  put(65, "TEXTttxt");
  b[86] = static_cast<char>(sizeof kLicence - 1);
  b[90] = 10;
  b[122] = b[123] = static_cast<char>(129);
  put(124, "\x02\xBB");
  b += kLicence;
  b.resize(256, '\0');
  b += std::string(10, '\x01');
  b.resize(384, '\0');
  return b;
}

}  // namespace yx::lha::test
