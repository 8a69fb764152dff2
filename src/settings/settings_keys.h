#pragma once
// The settings record described once, as data: each key of
// "Yorudex.INI" with the member of Settings it stores, its kind, its default
// and how a value read back is corrected. Loading, saving and the tests all
// walk this table.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "settings/settings.h"

namespace yx::settings {

enum class Kind { Flag, Integer, String };

// How an integer read from the file is brought into its range.
enum class Correction {
  None,
  Reset,  // outside lo..hi becomes the default (24 hours becomes 0, not 23)
  Clamp,  // outside lo..hi becomes the nearer bound (100 becomes 99)
};

// The member a key stores: a value of its own, or one row of a list.
using Member = std::variant<bool Settings::*, DayFlags Settings::*, int Settings::*,
                            std::string Settings::*, Rows Settings::*>;

struct SettingKey {
  std::string_view key;
  Member member;
  int index;  // row of a list member, 0 otherwise
  Kind kind;
  int int_default;
  std::string_view text_default;
  Correction correction = Correction::None;
  int lo = 0, hi = 0;
};

inline constexpr std::string_view kSection = "Backup";
inline constexpr std::string_view kFileName = "Yorudex.INI";

[[nodiscard]] std::span<const SettingKey> Keys();

// The value of `entry` in `settings`; the entry's kind says which one applies.
[[nodiscard]] bool& FlagIn(Settings& settings, const SettingKey& entry);
[[nodiscard]] bool FlagIn(const Settings& settings, const SettingKey& entry);
[[nodiscard]] int& IntegerIn(Settings& settings, const SettingKey& entry);
[[nodiscard]] int IntegerIn(const Settings& settings, const SettingKey& entry);
[[nodiscard]] std::string& TextIn(Settings& settings, const SettingKey& entry);
[[nodiscard]] const std::string& TextIn(const Settings& settings, const SettingKey& entry);

// The value a key takes when its text was read (nullopt: the key is absent).
[[nodiscard]] int DecodeInteger(const SettingKey& entry, const std::optional<std::string>& raw);
[[nodiscard]] bool DecodeFlag(const SettingKey& entry, const std::optional<std::string>& raw);
[[nodiscard]] std::string DecodeText(const SettingKey& entry,
                                     const std::optional<std::string>& raw);

// Puts the value read for `entry` into `settings`.
void DecodeInto(Settings& settings, const SettingKey& entry, const std::optional<std::string>& raw);

// The text written for `entry`'s value in `settings`.
[[nodiscard]] std::string EncodeFrom(const Settings& settings, const SettingKey& entry);

// The text written for a value. Blanks at either end, or a pair of quotes
// around it, would be taken off again when the file is read; such a value is
// written inside one more pair of quotes so that it reads back as it was.
[[nodiscard]] std::string EncodeText(std::string_view value);

}  // namespace yx::settings
