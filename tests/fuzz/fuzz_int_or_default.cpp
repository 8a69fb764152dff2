// IntOrDefault against a reference parser written separately: the whole text
// is an integer (leading spaces; a signed decimal within 32 bits; or "$",
// "x", "X", "0x", "0X" and hex digits that fit 32 bits, two's complement),
// or the fallback comes back.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

#include "settings/int_or_default.h"

namespace {

int Digit(char c, int base) {
  int d = -1;
  if (c >= '0' && c <= '9')
    d = c - '0';
  else if (c >= 'a' && c <= 'f')
    d = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    d = c - 'A' + 10;
  return d < base ? d : -1;
}

std::optional<int32_t> Reference(std::string_view t) {
  size_t i = 0;
  while (i < t.size() && t[i] == ' ') ++i;
  t.remove_prefix(i);
  if (t.empty()) return std::nullopt;
  int base = 10;
  bool negative = false;
  if (t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    base = 16;
    t.remove_prefix(2);
  } else if (t[0] == '$' || t[0] == 'x' || t[0] == 'X') {
    base = 16;
    t.remove_prefix(1);
  } else if (t[0] == '+' || t[0] == '-') {
    negative = t[0] == '-';
    t.remove_prefix(1);
  }
  if (t.empty()) return std::nullopt;
  uint64_t value = 0;
  for (const char c : t) {
    const int d = Digit(c, base);
    if (d < 0) return std::nullopt;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    if (value > 0xFFFFFFFFull) return std::nullopt;
  }
  if (base == 16) return static_cast<int32_t>(static_cast<uint32_t>(value));
  if (value > (negative ? 2147483648ull : 2147483647ull)) return std::nullopt;
  return static_cast<int32_t>(negative ? -static_cast<int64_t>(value)
                                       : static_cast<int64_t>(value));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  int32_t fallback;
  std::memcpy(&fallback, data, 4);
  const std::string_view text(reinterpret_cast<const char*>(data) + 4, size - 4);
  const int got = yx::settings::IntOrDefault(text, fallback);
  const std::optional<int32_t> want = Reference(text);
  if (got != want.value_or(fallback)) std::abort();
  return 0;
}
