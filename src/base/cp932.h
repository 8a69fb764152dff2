#pragma once
// Shift-JIS (code page 932) text handled as whole characters. The trail byte
// of a double-byte character may be 0x5C: 表 is 95 5C and ソ is 83 5C, so a
// byte-wise test for a backslash would cut such a name in two.
#include <cstddef>
#include <string>
#include <string_view>

namespace yx::cp932 {

[[nodiscard]] constexpr bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Length in bytes of the character starting at s[pos]; a lead byte at the very
// end of the text counts as a character of its own.
[[nodiscard]] size_t CharLength(std::string_view s, size_t pos);

// Start offset of the last whole character, npos for an empty text.
[[nodiscard]] size_t LastCharStart(std::string_view s);

[[nodiscard]] bool EndsWithBackslash(std::string_view s);

// Adds a final backslash unless the last whole character already is one.
[[nodiscard]] std::string WithTrailingBackslash(std::string_view s);

// Offset of the last whole-character backslash starting in [first, last]
// (byte offsets, both inclusive), or npos.
[[nodiscard]] size_t FindLastBackslash(std::string_view s, size_t first, size_t last);

// The folder part of a path up to and including its last backslash.
[[nodiscard]] std::string FolderPart(std::string_view path);

// True when every lead byte has a valid trail byte (0x40-0x7E, 0x80-0xFC).
[[nodiscard]] bool IsWellFormed(std::string_view s);

}  // namespace yx::cp932
