#pragma once
// The small pieces a catalog is written in: little-endian numbers, varints
// (seven bits a byte, low first) and names as WTF-8, which is UTF-8 that also
// carries the lone surrogates a Windows name may hold, so every name goes
// back to the very code units it came from.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace yx::catalog {

void PutVarint(std::string& out, uint64_t value);
void PutFixed64(std::string& out, uint64_t value);
// Signed differences (times) as varints: 0, -1, 1, -2 ... as 0, 1, 2, 3 ...
[[nodiscard]] constexpr uint64_t ZigZag(int64_t v) {
  return (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63);
}
[[nodiscard]] constexpr int64_t UnZigZag(uint64_t v) {
  return static_cast<int64_t>(v >> 1) ^ -static_cast<int64_t>(v & 1);
}

// Reads from the front of the text it was given; every read fails, never
// reads past the end, once anything was malformed or short.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : rest_(bytes) {}
  [[nodiscard]] std::optional<uint64_t> Varint();
  [[nodiscard]] std::optional<uint64_t> Fixed64();
  [[nodiscard]] std::optional<uint8_t> Byte();
  [[nodiscard]] std::optional<std::string_view> Bytes(uint64_t count);
  [[nodiscard]] size_t Left() const noexcept { return rest_.size(); }

 private:
  std::string_view rest_;
};

[[nodiscard]] std::string ToWtf8(std::u16string_view text);
// Nothing when the bytes are not the form ToWtf8 writes (overlong, beyond
// U+10FFFF, a surrogate pair written as two halves).
[[nodiscard]] std::optional<std::u16string> FromWtf8(std::string_view bytes);

}  // namespace yx::catalog
