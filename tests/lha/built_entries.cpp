#include "built_entries.h"

#include "lha/core/crc16.h"

namespace yx::lha::test {
namespace {

void Put(Bytes& b, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

// The header's bytes: 0 the size of the base part after these two bytes, 1
// their checksum (sum of the bytes), 2 the method, 7 packed and 11 original
// size, 15 MS-DOS time then date (2009-01-01 00:00), 19 attribute 0x20, 20
// level, 21 name length, 22 the name, then the data's CRC-16 and `tail`.
Bytes StoredEntry(int level, const std::string& name, const std::string& data, const Bytes& tail) {
  Bytes b = {0, 0, '-', 'l', 'h', '0', '-'};
  Put(b, data.size(), 4);
  Put(b, data.size(), 4);
  Put(b, 0x3A210000, 4);
  b.push_back(0x20);
  b.push_back(static_cast<uint8_t>(level));
  b.push_back(static_cast<uint8_t>(name.size()));
  b.insert(b.end(), name.begin(), name.end());
  Put(b, ComputeCrc16(reinterpret_cast<const uint8_t*>(data.data()), data.size()), 2);
  b.insert(b.end(), tail.begin(), tail.end());
  b[0] = static_cast<uint8_t>(b.size() - 2);
  unsigned sum = 0;
  for (size_t i = 2; i < b.size(); ++i) sum += b[i];
  b[1] = static_cast<uint8_t>(sum);
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

Bytes Archive(std::initializer_list<Bytes> parts) {
  Bytes b;
  for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
  return b;
}

// MacBinary II: 0 zero, 1 name length, 2 name, 65 type and creator, 83 and
// 87 the forks' lengths (big-endian), 122 and 123 the version written and
// needed (129), 124 the CRC of bytes 0-123 (Python's
// binascii.crc_hqx(header[:124], 0) gives 0x02BB); then each fork padded to
// 128 bytes.
std::string MacBinaryLicence() {
  std::string b(128, '\0');
  b.replace(1, 6, "\5gpl-2");
  b.replace(65, 8, "TEXTttxt");
  b[86] = static_cast<char>(sizeof kLicence - 1);
  b[90] = 10;
  b[122] = b[123] = static_cast<char>(129);
  b[124] = 0x02;
  b[125] = static_cast<char>(0xBB);
  b += kLicence;
  b.resize(256, '\0');
  b += std::string(10, '\x01');
  b.resize(384, '\0');
  return b;
}

}  // namespace yx::lha::test
