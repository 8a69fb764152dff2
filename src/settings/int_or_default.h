#pragma once
// The one conversion of user-editable text to an integer: the settings file's
// flags and numbers and the launch times all go through it, so a value that a
// user mistyped falls back quietly instead of throwing.
#include <string_view>

namespace yx::settings {

// The whole text must be an integer: leading spaces (nothing else), then an
// optionally signed decimal within 32 bits, or "$", "x", "X", "0x" or "0X"
// followed by hexadecimal digits that fit in 32 bits, read as two's complement
// ("$FFFFFFFF" is -1). Anything else, overflow included, gives `fallback`.
[[nodiscard]] int IntOrDefault(std::string_view text, int fallback);

}  // namespace yx::settings
