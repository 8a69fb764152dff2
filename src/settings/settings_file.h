#pragma once
// "Yorudex.INI": read one key at a time through the profile API and written
// whole, into and out of whatever holds the live settings (the settings window).
#include <string>

#include "settings/settings_keys.h"

namespace yx::settings {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  [[nodiscard]] virtual bool GetFlag(Field field, int index) const = 0;
  virtual void SetFlag(Field field, int index, bool value) = 0;
  [[nodiscard]] virtual int GetInteger(Field field) const = 0;
  virtual void SetInteger(Field field, int value) = 0;
  [[nodiscard]] virtual std::string GetText(Field field, int index) const = 0;
  virtual void SetText(Field field, int index, const std::string& value) = 0;
};

// Every key in table order, each put into the store right after it is read.
// A missing file, section or key gives the key's default.
void LoadSettings(SettingsStore& store, const std::string& cp932_path);

// Every key in table order, the file's bytes as the profile functions would
// write them, put in place whole: a new file beside the old one replaces it
// once complete. Throws FileError "%s に書き込めません" when the file cannot be
// read or replaced; the old file is then left as it was.
void SaveSettings(const SettingsStore& store, const std::string& cp932_path);

// The longest value read back, in bytes.
inline constexpr size_t kMaxValueBytes = 2047;

}  // namespace yx::settings
