#include "settings/settings_file.h"

#include <windows.h>

#include <array>
#include <cstring>
#include <optional>

#include "base/file_error.h"

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

void LoadSettings(SettingsStore& store, const std::string& path) {
  const std::string section(kSection);
  for (const SettingKey& entry : Keys()) {
    const std::optional<std::string> raw = ReadKey(section, entry, path);
    switch (entry.kind) {
      case Kind::Flag:
        store.SetFlag(entry.field, entry.index, DecodeFlag(entry, raw));
        break;
      case Kind::Integer:
        store.SetInteger(entry.field, DecodeInteger(entry, raw));
        break;
      case Kind::String:
        store.SetText(entry.field, entry.index, DecodeText(entry, raw));
        break;
    }
  }
}

void SaveSettings(const SettingsStore& store, const std::string& path) {
  const std::string section(kSection);
  for (const SettingKey& entry : Keys()) {
    std::string value;
    switch (entry.kind) {
      case Kind::Flag:
        value = store.GetFlag(entry.field, entry.index) ? "1" : "0";
        break;
      case Kind::Integer:
        value = std::to_string(store.GetInteger(entry.field));
        break;
      case Kind::String:
        value = EncodeText(store.GetText(entry.field, entry.index));
        break;
    }
    const std::string key(entry.key);
    if (!::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()))
      throw MakeFileError("%s に書き込めません", path);
  }
  // Hand the cached file to the disk now rather than at some later call.
  ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}

}  // namespace yx::settings
