#pragma once
// Constants of the -lh5- stream and the packed form of one parsed symbol.
#include <bit>
#include <cstdint>

namespace yx::lha {

inline constexpr int kWindowSize = 8192;  // largest distance
inline constexpr int kMinMatch = 3;
inline constexpr int kMaxMatch = 256;
inline constexpr int kNumC = 256 + kMaxMatch - kMinMatch + 1;  // 510: literals, then lengths
inline constexpr int kNumP = 14;   // position symbols: bit length of distance - 1
inline constexpr int kNumPt = 19;  // symbols that code the c lengths
inline constexpr int kMaxBlockCodes = 65535;

// A literal or a match, as the parser hands it to the block coder: the c
// symbol in the low 9 bits, distance - 1 above them.
[[nodiscard]] constexpr uint32_t LiteralSymbol(uint8_t byte) { return byte; }
[[nodiscard]] constexpr uint32_t MatchSymbol(int length, int distance) {
  return static_cast<uint32_t>(length - kMinMatch + 256) |
         (static_cast<uint32_t>(distance - 1) << 9);
}
[[nodiscard]] constexpr int CSymbol(uint32_t s) { return static_cast<int>(s & 0x1FF); }
[[nodiscard]] constexpr uint32_t Offset(uint32_t s) { return s >> 9; }
[[nodiscard]] constexpr int PSymbol(uint32_t offset) { return std::bit_width(offset); }
// Bits that follow a position symbol: offset without its leading 1.
[[nodiscard]] constexpr int ExtraBits(int p) { return p > 1 ? p - 1 : 0; }

}  // namespace yx::lha
