#pragma once
// "Yorudex.INI": read one key at a time through the profile API into a
// Settings, and written whole from one.
#include <cstddef>
#include <string>

#include "settings/settings_keys.h"

namespace yx::settings {

// Every key in table order. A missing file, section or key gives the key's
// default.
[[nodiscard]] Settings LoadSettings(const std::string& cp932_path);

// Every key in table order, the file's bytes as the profile functions would
// write them, put in place whole: a new file beside the old one replaces it
// once complete. Throws FileError "%s に書き込めません" when the file cannot be
// read or replaced; the old file is then left as it was.
void SaveSettings(const Settings& settings, const std::string& cp932_path);

// The longest value read back, in bytes.
inline constexpr size_t kMaxValueBytes = 2047;

}  // namespace yx::settings
