#include "catalog/catalog_bytes.h"

namespace yx::catalog {

void PutVarint(std::string& out, uint64_t value) {
  while (value >= 0x80) {
    out += static_cast<char>(value | 0x80);
    value >>= 7;
  }
  out += static_cast<char>(value);
}

void PutFixed64(std::string& out, uint64_t value) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>(value >> (8 * i));
}

std::optional<uint64_t> ByteReader::Varint() {
  uint64_t value = 0;
  for (int shift = 0; shift < 64; shift += 7) {
    if (rest_.empty()) break;
    const uint8_t b = static_cast<uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    // The tenth byte has room for one bit only.
    if (shift == 63 && b > 1) break;
    value |= uint64_t{b & 0x7Fu} << shift;
    if (!(b & 0x80)) return value;
  }
  rest_ = {};
  return std::nullopt;
}

std::optional<uint64_t> ByteReader::Fixed64() {
  const std::optional<std::string_view> bytes = Bytes(8);
  if (!bytes) return std::nullopt;
  uint64_t value = 0;
  for (int i = 0; i < 8; ++i) value |= uint64_t{static_cast<uint8_t>((*bytes)[i])} << (8 * i);
  return value;
}

std::optional<uint8_t> ByteReader::Byte() {
  const std::optional<std::string_view> bytes = Bytes(1);
  if (!bytes) return std::nullopt;
  return static_cast<uint8_t>(bytes->front());
}

std::optional<std::string_view> ByteReader::Bytes(uint64_t count) {
  if (count > rest_.size()) {
    rest_ = {};
    return std::nullopt;
  }
  const std::string_view taken = rest_.substr(0, count);
  rest_.remove_prefix(count);
  return taken;
}

std::string ToWtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::optional<std::u16string> FromWtf8(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  bool after_high_surrogate = false;
  for (size_t i = 0; i < bytes.size();) {
    const uint8_t lead = static_cast<uint8_t>(bytes[i]);
    const int length = lead < 0x80    ? 1
                       : lead >= 0xF5 ? 0
                       : lead >= 0xF0 ? 4
                       : lead >= 0xE0 ? 3
                       : lead >= 0xC0 ? 2
                                      : 0;
    if (length == 0 || i + length > bytes.size()) return std::nullopt;
    uint32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      const uint8_t b = static_cast<uint8_t>(bytes[i + k]);
      if ((b & 0xC0) != 0x80) return std::nullopt;
      c = c << 6 | (b & 0x3F);
    }
    constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kLeast[length] || c > 0x10FFFF) return std::nullopt;
    const bool low_surrogate = c >= 0xDC00 && c < 0xE000;
    // A pair is written as one four-byte character, never as its halves.
    if (after_high_surrogate && low_surrogate) return std::nullopt;
    after_high_surrogate = c >= 0xD800 && c < 0xDC00;
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    i += static_cast<size_t>(length);
  }
  return out;
}

}  // namespace yx::catalog
