#include "lha/core/entry_path.h"

#include <algorithm>
#include <array>

#include "base/windows_name.h"

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
    switch (CheckWindowsName(p)) {
      case NameVerdict::kOk:
        break;
      case NameVerdict::kEmpty:
        return PathVerdict::kEmpty;
      case NameVerdict::kParent:
        return PathVerdict::kParent;
      case NameVerdict::kDevice:
        return PathVerdict::kDevice;
      case NameVerdict::kBadCharacter:
        return PathVerdict::kBadCharacter;
      case NameVerdict::kBadEnd:
        return PathVerdict::kBadEnd;
    }
  }
  return PathVerdict::kOk;
}

}  // namespace yx::lha
