#include "lha/core/mac_binary.h"

#include <algorithm>

namespace yx::lha {
namespace {

uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
uint32_t Be32(const uint8_t* p) { return uint32_t{Be16(p)} << 16 | Be16(p + 2); }
uint64_t Padded(uint64_t n) { return (n + 127) / 128 * 128; }

// CRC-16/XMODEM (polynomial 0x1021, initial value 0), as MacBinary II
// computes over the header's first 124 bytes.
uint16_t XmodemCrc(const uint8_t* data, size_t size) {
  uint16_t crc = 0;
  for (size_t i = 0; i < size; ++i) {
    crc ^= static_cast<uint16_t>(data[i] << 8);
    for (int bit = 0; bit < 8; ++bit)
      crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
  }
  return crc;
}

}  // namespace

bool FindDataFork(const uint8_t (&b)[kMacBinaryHeaderSize], uint64_t total, DataFork& fork) {
  // Offsets of MacBinary II: 0 version (0), 1 name length (1..63), 74 and 82
  // zero, 83 data and 87 resource fork lengths, 120 secondary header length,
  // 122 and 123 the versions that wrote it and that can read it (129 for II,
  // 130 for III), 124 the CRC (big-endian, as everything there).
  if (b[0] != 0 || b[74] != 0 || b[82] != 0 || b[1] < 1 || b[1] > 63) return false;
  if (b[122] < 129 || b[123] < 129) return false;
  if (XmodemCrc(b, 124) != Be16(b + 124)) return false;
  const uint64_t data = Be32(b + 83);
  const uint64_t resource = Be32(b + 87);
  const uint64_t start = kMacBinaryHeaderSize + Padded(Be16(b + 120));
  // The last fork may go unpadded.
  const uint64_t least = resource ? start + Padded(data) + resource : start + data;
  if (total < least || total > start + Padded(data) + Padded(resource)) return false;
  fork = {start, data};
  return true;
}

bool DataForkSink::Write(const uint8_t* data, size_t size) {
  if (!judged_) {
    const size_t take = std::min<size_t>(size, kMacBinaryHeaderSize - seen_);
    std::copy(data, data + take, header_ + seen_);
    seen_ += take;
    data += take;
    size -= take;
    if (seen_ < kMacBinaryHeaderSize && seen_ < total_) return true;
    judged_ = true;
    mac_binary_ = seen_ == kMacBinaryHeaderSize && FindDataFork(header_, total_, fork_);
    if (!mac_binary_ && !to_.Write(header_, static_cast<size_t>(seen_))) return false;
  }
  if (!mac_binary_) {
    seen_ += size;
    return size == 0 || to_.Write(data, size);
  }
  // Only the bytes of [offset, offset + size) go on.
  const uint64_t from = std::max(seen_, fork_.offset);
  const uint64_t to = std::min(seen_ + size, fork_.offset + fork_.size);
  const uint64_t at = seen_;
  seen_ += size;
  if (from >= to) return true;
  return to_.Write(data + (from - at), static_cast<size_t>(to - from));
}

}  // namespace yx::lha
