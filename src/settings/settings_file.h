#pragma once
// "Yorudex.INI": read one key at a time through the profile API into a
// Settings, and written whole from one.
#include <cstddef>
#include <string>

#include "settings/settings_keys.h"

namespace yx::settings {

// Every key in table order. A missing file, section or key gives the key's
// default. A file that cannot be read or is not settings text (see
// settings_encoding.h) gives the defaults with the reason in `file_fault`,
// which the check reports.
[[nodiscard]] Settings LoadSettings(const std::string& cp932_path);

// Every key in table order, the file's bytes as the profile functions would
// write them, put in place whole: a new file beside the old one replaces it
// once complete. Throws FileError "%s に書き込めません" when the file cannot be
// read or replaced, or is not settings text; the old file is then left as
// it was.
void SaveSettings(const Settings& settings, const std::string& cp932_path);

}  // namespace yx::settings
