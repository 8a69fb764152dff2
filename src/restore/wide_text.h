#pragma once
// The restore's portable code keeps paths as UTF-16 in std::u16string; the
// Windows side holds the same code units in std::wstring.
#include <string>
#include <string_view>

namespace yx::restore {

[[nodiscard]] inline std::u16string U16(std::wstring_view text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

[[nodiscard]] inline std::wstring Wide(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

}  // namespace yx::restore
