#include "settings/settings_file.h"

#include <windows.h>

#include <optional>

#include "base/file_error.h"
#include "settings/profile_text.h"
#include "settings/settings_encoding.h"
#include "settings/settings_keys.h"
#include "win/fault_line.h"
#include "win/file_system.h"
#include "win/whole_file.h"

namespace yx::settings {
namespace {

constexpr char kRefused[] =
    "%s は設定ファイルとして読めません (Shift-JIS、UTF-8、UTF-16 の [Backup] "
    "のあるテキストではありません)。このファイルは書き換えません";

bool IsBlankText(std::string_view text) {
  return text.find_first_not_of(" \t\r\n\v\f\x1A") == std::string_view::npos;
}

// The file as settings text; nullopt with a missing file; FileError when
// it cannot be read or is not settings text.
std::optional<SettingsText> ReadSettingsText(const std::string& path, std::string_view unreadable) {
  const std::wstring wide = win::ToLongPath(win::WidePath(path));
  // Broken Shift-JIS names no file.
  if (wide.empty()) throw win::SystemFileError(unreadable, path, {"", ERROR_INVALID_NAME, {}});
  std::string bytes;
  const win::ReadResult read = win::ReadWholeFile(wide, bytes);
  if (read == win::ReadResult::Missing) return std::nullopt;
  if (read == win::ReadResult::Failed) {
    const win::Failure failure = win::Failure::Last("ReadFile");
    throw win::SystemFileError(unreadable, path, failure);
  }
  std::optional<SettingsText> text = DecodeSettingsFile(bytes);
  if (!text || (!IsBlankText(text->cp932) && !SectionValues(text->cp932, kSection)))
    throw MakeFileError(kRefused, path);
  return text;
}

std::string Folded(std::string_view name) {
  std::string folded(name);
  for (char& c : folded)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return folded;
}

}  // namespace

Settings LoadSettings(const std::string& path) {
  Settings settings;
  KeyValues values;
  try {
    if (const std::optional<SettingsText> text = ReadSettingsText(path, "%s を読めません"))
      values = SectionValues(text->cp932, kSection).value_or(KeyValues{});
  } catch (const FileError& e) {
    settings = DefaultSettings();
    settings.file_fault = e.what();
    return settings;
  }
  for (const SettingKey& entry : Keys()) {
    std::optional<std::string> value;
    // The first of a key written twice, as the profile functions read it.
    for (const auto& [key, text] : values)
      if (Folded(key) == Folded(entry.key)) {
        value = text;
        break;
      }
    DecodeInto(settings, entry, value);
  }
  return settings;
}

void SaveSettings(const Settings& settings, const std::string& path) {
  KeyValues values;
  for (const SettingKey& entry : Keys())
    values.emplace_back(entry.key, EncodeFrom(settings, entry));
  // The profile functions would truncate the file and write it in place: a
  // kill or a full disk in between would leave it empty or torn, and every
  // later run would stop at the check. The same bytes go through a new file.
  // The file keeps its encoding; one that is not settings text is never
  // rewritten.
  const std::optional<SettingsText> old = ReadSettingsText(path, "%s に書き込めません");
  const std::optional<std::string> bytes =
      ProfileAfterWrites(old ? old->cp932 : std::string(), kSection, values);
  if (!bytes) return;  // every key holds its value already: nothing to write
  const std::wstring wide = win::ToLongPath(win::WidePath(path));
  if (!win::ReplaceWholeFile(wide,
                             EncodeSettingsFile(old ? old->encoding : FileEncoding::kCp932, *bytes),
                             "settings-save")) {
    const win::Failure failure = win::Failure::Last("WriteFile");
    throw win::SystemFileError("%s に書き込めません", path, failure);
  }
}

}  // namespace yx::settings
