#pragma once
#include <cstdint>
#include <string>

namespace yx {

// Bytes as a person reads them, in the unit that fits (KB of 1,024 bytes,
// MB, GB, TB): one decimal below 100 of the unit, whole above, where a tenth
// no longer tells anything: "12 B", "1.5 KB", "24.0 KB", "512 KB", "4.5 GB".
[[nodiscard]] std::string FormatByteSize(uint64_t bytes);

// Digits in groups of three: "3,412".
[[nodiscard]] std::string GroupedDigits(uint64_t value);

}  // namespace yx
