#include "settings/settings_file.h"

#include <windows.h>

#include <array>
#include <cstring>
#include <optional>

#include "base/file_error.h"
#include "settings/profile_text.h"
#include "settings/settings_keys.h"
#include "win/file_system.h"
#include "win/whole_file.h"

namespace yx::settings {
namespace {

// Sent as the default so that a key that is absent can be told from one that
// is present with an empty value; no value written by the program holds it.
constexpr char kAbsent[] = "\x01\x02yx-absent\x02\x01";

std::optional<std::string> ReadKey(const std::string& section, const SettingKey& entry,
                                   const std::string& path) {
  std::array<char, kMaxValueBytes + 1> buffer{};
  const std::string key(entry.key);
  ::GetPrivateProfileStringA(section.c_str(), key.c_str(), kAbsent, buffer.data(),
                             static_cast<DWORD>(buffer.size()), path.c_str());
  // Measured, not taken from the return value: with double-byte text the
  // profile API may stop a byte short and leave the rest of the buffer alone.
  std::string value(buffer.data(), ::strnlen(buffer.data(), kMaxValueBytes));
  if (value == kAbsent) return std::nullopt;
  return value;
}

}  // namespace

Settings LoadSettings(const std::string& path) {
  const std::string section(kSection);
  Settings settings;
  for (const SettingKey& entry : Keys()) DecodeInto(settings, entry, ReadKey(section, entry, path));
  return settings;
}

void SaveSettings(const Settings& settings, const std::string& path) {
  KeyValues values;
  for (const SettingKey& entry : Keys())
    values.emplace_back(entry.key, EncodeFrom(settings, entry));
  // The profile functions would truncate the file and write it in place: a
  // kill or a full disk in between would leave it empty or torn, and every
  // later run would stop at the check. The same bytes go through a new file.
  const std::wstring wide = win::ToLongPath(win::WidePath(path));
  std::string old;
  if (wide.empty() || win::ReadWholeFile(wide, old) == win::ReadResult::Failed)
    throw MakeFileError("%s に書き込めません", path);
  const std::optional<std::string> bytes = ProfileAfterWrites(old, kSection, values);
  if (!bytes) return;  // every key holds its value already: nothing to write
  if (!win::ReplaceWholeFile(wide, *bytes, "settings-save"))
    throw MakeFileError("%s に書き込めません", path);
}

}  // namespace yx::settings
