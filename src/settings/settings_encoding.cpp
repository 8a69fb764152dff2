#include "settings/settings_encoding.h"

#include <windows.h>

#include "win/text.h"

namespace yx::settings {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Mark = "\xFF\xFE";

// Text the code page holds whole, or nothing.
std::optional<std::string> ToCp932(std::wstring_view text) {
  bool lossy = false;
  std::string cp932 = win::FromWide(text, win::kCodePage932, &lossy);
  if (lossy) return std::nullopt;
  return cp932;
}

std::optional<std::wstring> FromUtf8(std::string_view bytes) {
  if (bytes.empty()) return std::wstring();
  const int in = static_cast<int>(bytes.size());
  const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), in, nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring out(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), in, out.data(), n);
  return out;
}

std::string ToUtf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int in = static_cast<int>(text.size());
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), in, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), in, out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::optional<SettingsText> DecodeSettingsFile(std::string_view bytes) {
  if (bytes.starts_with(kUtf16Mark)) {
    bytes.remove_prefix(kUtf16Mark.size());
    if (bytes.size() % 2 != 0) return std::nullopt;
    std::wstring text(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i)
      text[i] = static_cast<wchar_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                     static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    std::optional<std::string> cp932 = ToCp932(text);
    if (!cp932) return std::nullopt;
    return SettingsText{FileEncoding::kUtf16WithMark, std::move(*cp932)};
  }
  if (bytes.starts_with(kUtf8Mark)) {
    const std::optional<std::wstring> text = FromUtf8(bytes.substr(kUtf8Mark.size()));
    std::optional<std::string> cp932 = text ? ToCp932(*text) : std::nullopt;
    if (!cp932) return std::nullopt;
    return SettingsText{FileEncoding::kUtf8WithMark, std::move(*cp932)};
  }
  // No mark: code page 932 bytes as the profile functions take them, a
  // broken character or two included; whether they are settings at all the
  // section says.
  return SettingsText{FileEncoding::kCp932, std::string(bytes)};
}

std::string EncodeSettingsFile(FileEncoding encoding, std::string_view cp932) {
  switch (encoding) {
    case FileEncoding::kCp932:
      return std::string(cp932);
    case FileEncoding::kUtf8WithMark:
      return std::string(kUtf8Mark) + ToUtf8(win::ToWide(cp932));
    case FileEncoding::kUtf16WithMark:
      break;
  }
  const std::wstring text = win::ToWide(cp932);
  std::string out(kUtf16Mark);
  for (const wchar_t c : text) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

}  // namespace yx::settings
