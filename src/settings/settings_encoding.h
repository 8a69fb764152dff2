#pragma once
// The settings file as text, whatever Notepad saved it as. The program works
// on code page 932 bytes; a file saved as "Unicode" (UTF-16 LE with its
// byte-order mark) or as UTF-8 with its mark is read as such and written
// back the same way, so a save never turns it into a mix of two encodings.
// Without a mark the bytes are code page 932, as the profile functions read
// them. A marked file that does not decode, or holds characters code page
// 932 lacks (which a save could not give back), is not settings text: it is
// refused, and never rewritten; so is one without the settings' section.
#include <optional>
#include <string>
#include <string_view>

namespace yx::settings {

enum class FileEncoding { kCp932, kUtf8WithMark, kUtf16WithMark };

struct SettingsText {
  FileEncoding encoding = FileEncoding::kCp932;
  std::string cp932;
};

// The file's bytes as code page 932 text; nullopt when they are not text
// the program can read and give back unchanged.
[[nodiscard]] std::optional<SettingsText> DecodeSettingsFile(std::string_view bytes);

// `cp932` in the file's own encoding, its byte-order mark first.
[[nodiscard]] std::string EncodeSettingsFile(FileEncoding encoding, std::string_view cp932);

}  // namespace yx::settings
