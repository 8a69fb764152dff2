#pragma once
#include <string>

namespace yx::backup {

// "ver " + v div 100 + "." + v mod 100, both without leading zeros:
// 253 is ver 2.53, 205 is ver 2.5, 1000 is ver 10.0.
[[nodiscard]] std::string VersionCaption(unsigned short version);

}  // namespace yx::backup
