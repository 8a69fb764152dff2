#include "settings/int_or_default.h"

#include <charconv>
#include <cstdint>

namespace yx::settings {
namespace {

// from_chars into an unsigned type takes no sign, no prefix and no blank, so a
// second sign ("+-5", "$-1") or a blank after the prefix cannot slip through.
template <typename Unsigned>
bool ParseWhole(std::string_view digits, Unsigned& value, int base) {
  const char* end = digits.data() + digits.size();
  const auto [ptr, ec] = std::from_chars(digits.data(), end, value, base);
  return ec == std::errc() && ptr == end;
}

}  // namespace

int IntOrDefault(std::string_view text, int fallback) {
  const size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return fallback;
  text.remove_prefix(start);

  size_t hex_prefix = 0;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    hex_prefix = 2;
  } else if (text[0] == '$' || text[0] == 'x' || text[0] == 'X') {
    hex_prefix = 1;
  }
  if (hex_prefix != 0) {
    std::uint32_t bits = 0;
    if (!ParseWhole(text.substr(hex_prefix), bits, 16)) return fallback;
    return static_cast<int>(static_cast<std::int32_t>(bits));
  }

  const bool negative = text[0] == '-';
  if (text[0] == '+' || text[0] == '-') text.remove_prefix(1);
  std::uint64_t magnitude = 0;
  if (!ParseWhole(text, magnitude, 10)) return fallback;
  if (magnitude > (negative ? 2147483648u : 2147483647u)) return fallback;
  return static_cast<int>(negative ? -static_cast<std::int64_t>(magnitude)
                                   : static_cast<std::int64_t>(magnitude));
}

}  // namespace yx::settings
