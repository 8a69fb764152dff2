#include "base/cp932.h"

namespace yx::cp932 {

size_t CharLength(std::string_view s, size_t pos) {
  if (IsLeadByte(static_cast<unsigned char>(s[pos])) && pos + 1 < s.size()) return 2;
  return 1;
}

size_t LastCharStart(std::string_view s) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < s.size(); i += CharLength(s, i)) last = i;
  return last;
}

bool EndsWithBackslash(std::string_view s) {
  const size_t last = LastCharStart(s);
  return last != std::string_view::npos && s[last] == '\\' && last + 1 == s.size();
}

std::string WithTrailingBackslash(std::string_view s) {
  std::string out(s);
  if (!EndsWithBackslash(s)) out += '\\';
  return out;
}

size_t FindLastBackslash(std::string_view s, size_t first, size_t last) {
  size_t found = std::string_view::npos;
  for (size_t i = 0; i < s.size() && i <= last; i += CharLength(s, i)) {
    if (i >= first && s[i] == '\\' && CharLength(s, i) == 1) found = i;
  }
  return found;
}

std::string FolderPart(std::string_view path) {
  if (path.empty()) return {};
  const size_t pos = FindLastBackslash(path, 0, path.size() - 1);
  return pos == std::string_view::npos ? std::string() : std::string(path.substr(0, pos + 1));
}

bool IsWellFormed(std::string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (!IsLeadByte(static_cast<unsigned char>(s[i]))) continue;
    if (i + 1 >= s.size()) return false;
    const auto t = static_cast<unsigned char>(s[i + 1]);
    if (t < 0x40 || t == 0x7F || t > 0xFC) return false;
    ++i;
  }
  return true;
}

}  // namespace yx::cp932
