#include "lha/core/entry_path.h"

#include <algorithm>
#include <array>

namespace yx::lha {
namespace {

bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

template <typename Char, typename IsSeparator>
std::vector<std::basic_string<Char>> Split(std::basic_string_view<Char> path, IsSeparator sep,
                                           bool double_byte) {
  std::vector<std::basic_string<Char>> parts;
  std::basic_string<Char> part;
  // Each separator before the first name is an empty name: one is a root,
  // two begin a UNC or \\?\ name.
  bool leading = true;
  for (size_t i = 0; i < path.size(); ++i) {
    const Char c = path[i];
    if (double_byte && IsLead(static_cast<unsigned char>(c)) && i + 1 < path.size()) {
      part += c;
      part += path[++i];
      leading = false;
      continue;
    }
    if (!sep(c)) {
      part += c;
      leading = false;
      continue;
    }
    if (!part.empty() || leading) parts.push_back(part);
    part.clear();
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

// CON, PRN, AUX, NUL, COM0-9, LPT0-9 (and their superscript digits), CONIN$
// and CONOUT$, in any case, before any extension: Windows opens the device.
bool IsDeviceName(const std::u16string& name) {
  std::u16string stem = name.substr(0, name.find(u'.'));
  while (!stem.empty() && stem.back() == u' ') stem.pop_back();
  for (char16_t& c : stem) c = Upper(c);
  static constexpr std::array<std::u16string_view, 6> kPlain{u"CON", u"PRN",    u"AUX",
                                                             u"NUL", u"CONIN$", u"CONOUT$"};
  if (std::find(kPlain.begin(), kPlain.end(), stem) != kPlain.end()) return true;
  if (stem.size() != 4 || (stem.compare(0, 3, u"COM") != 0 && stem.compare(0, 3, u"LPT") != 0))
    return false;
  const char16_t d = stem[3];
  return (d >= u'0' && d <= u'9') || d == u'\u00B9' || d == u'\u00B2' || d == u'\u00B3';
}

bool IsForbidden(char16_t c) {
  return c < 0x20 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'/' || c == u'\\' ||
         c == u'|' || c == u'?' || c == u'*';
}

}  // namespace

std::vector<std::string> StoredPathParts(const EntryHeader& h) {
  const std::string path = h.directory + h.name;
  return Split<char>(
      path, [](char c) { return c == '\xFF' || c == '\\' || c == '/'; }, true);
}

std::vector<std::u16string> WidePathParts(const EntryHeader& h) {
  std::u16string path = h.wide_directory.value_or(u"");
  path += h.wide_name.value_or(u"");
  return SplitWidePath(path);
}

std::vector<std::u16string> SplitWidePath(std::u16string_view path) {
  return Split<char16_t>(
      path, [](char16_t c) { return c == u'\xFFFF' || c == u'\\' || c == u'/'; }, false);
}

PathVerdict CheckPath(std::vector<std::u16string>& parts, bool* root_removed) {
  if (root_removed) {
    *root_removed = false;
    // "C:" before the path, then one leading separator: the root of a drive
    // or of the current one. More separators stay refused below.
    if (!parts.empty() && parts.front().size() >= 2 && parts.front()[1] == u':' &&
        IsAsciiLetter(parts.front()[0])) {
      parts.front().erase(0, 2);
      *root_removed = true;
      if (parts.front().empty() && parts.size() > 1 && !parts[1].empty())
        parts.erase(parts.begin());
    }
    if (parts.size() > 1 && parts[0].empty() && !parts[1].empty()) {
      parts.erase(parts.begin());
      *root_removed = true;
    }
  }
  if (!parts.empty() && parts.front().empty()) return PathVerdict::kAbsolute;
  std::erase(parts, u".");
  if (parts.empty()) return PathVerdict::kEmpty;
  for (const std::u16string& p : parts) {
    if (p == u"..") return PathVerdict::kParent;
    if (std::any_of(p.begin(), p.end(), IsForbidden)) return PathVerdict::kBadCharacter;
    if (p.back() == u'.' || p.back() == u' ') return PathVerdict::kBadEnd;
    if (IsDeviceName(p)) return PathVerdict::kDevice;
  }
  return PathVerdict::kOk;
}

}  // namespace yx::lha
