#include "base/byte_size.h"

#include <iterator>

namespace yx {

std::string GroupedDigits(uint64_t value) {
  std::string digits = std::to_string(value);
  for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

std::string FormatByteSize(uint64_t bytes) {
  if (bytes < 1024) return std::to_string(bytes) + " B";
  constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB"};
  uint64_t unit_bytes = 1024;
  size_t unit = 0;
  // Tenths of the unit, rounded half up, in integers.
  auto tenths = [&] {
    return bytes / unit_bytes * 10 + (bytes % unit_bytes * 10 + unit_bytes / 2) / unit_bytes;
  };
  // 1,023.5 and up would show as 1,024: that is the next unit's 1.0.
  while (tenths() >= 10235 && unit + 1 < std::size(kUnits)) {
    unit_bytes *= 1024;
    ++unit;
  }
  const uint64_t t = tenths();
  const std::string number = t < 1000 ? std::to_string(t / 10) + "." + std::to_string(t % 10)
                                      : GroupedDigits((t + 5) / 10);
  return number + " " + kUnits[unit];
}

}  // namespace yx
