#include "settings/profile_text.h"

#include "base/cp932.h"

namespace yx::settings {
namespace {

struct Key {
  std::string name;
  std::optional<std::string> value;
};

struct Section {
  std::string name;  // "" for the lines before the first header
  std::vector<Key> keys;
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The last "]" that is a character of its own: ] is 0x5D, which may also be
// the second byte of a double-byte character.
size_t LastClosingBracket(std::string_view line) {
  size_t found = std::string_view::npos;
  for (size_t i = 0; i < line.size(); i += cp932::CharLength(line, i))
    if (line[i] == ']') found = i;
  return found;
}

std::vector<Section> Parse(std::string_view file) {
  std::vector<Section> sections(1);
  while (!file.empty()) {
    const size_t end = file.find_first_of("\r\n");
    std::string_view line = Trim(file.substr(0, end));
    file.remove_prefix(end == std::string_view::npos ? file.size() : end + 1);
    if (line.empty()) continue;
    if (line.front() == '[') {
      const size_t close = LastClosingBracket(line);
      if (close != std::string_view::npos && close > 0) {
        sections.push_back({std::string(Trim(line.substr(1, close - 1))), {}});
        continue;
      }
    }
    Key key;
    if (const size_t eq = line.find('='); eq != std::string_view::npos) {
      key.name = Trim(line.substr(0, eq));
      key.value = Trim(line.substr(eq + 1));
    } else {
      key.name = line;
    }
    // A second key line without a name in a row is dropped, as the profile
    // functions drop it.
    std::vector<Key>& keys = sections.back().keys;
    if (key.name.empty() && !keys.empty() && keys.back().name.empty()) continue;
    keys.push_back(std::move(key));
  }
  return sections;
}

std::string Write(const std::vector<Section>& sections) {
  std::string out;
  for (const Section& section : sections) {
    if (!section.name.empty()) out.append("[").append(section.name).append("]\r\n");
    for (const Key& key : section.keys) {
      out += key.name;
      if (key.value) out.append("=").append(*key.value);
      out += "\r\n";
    }
  }
  return out;
}

// Returns whether the value changed.
bool Set(std::vector<Section>& sections, std::string_view section_name, std::string_view key_name,
         std::string_view value) {
  while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
  Section* section = nullptr;
  for (Section& s : sections)
    if (!s.name.empty() && SameName(s.name, section_name)) {
      section = &s;
      break;
    }
  if (!section) section = &sections.emplace_back(Section{std::string(section_name), {}});
  for (Key& key : section->keys)
    if (SameName(key.name, key_name)) {
      if (key.value == value) return false;
      key.value = std::string(value);
      return true;
    }
  section->keys.push_back({std::string(key_name), std::string(value)});
  return true;
}

}  // namespace

// One pair of quotes around the whole value goes, as the profile functions
// drop it, unless what is inside holds quotes of that kind and is no value
// the save wrapped (settings_keys.h, EncodeText: one with blanks at an end,
// or one that is itself wrapped): then the value is a command line with
// quoted parts ("C:\My Tools\a.bat" "arg"), and it is kept whole.
std::string UnquotedValue(std::string_view value) {
  const auto wrapped = [](std::string_view v, char q) {
    return v.size() >= 2 && v.front() == q && v.back() == q;
  };
  if (value.empty() || (value.front() != '"' && value.front() != '\'') ||
      !wrapped(value, value.front()))
    return std::string(value);
  const std::string_view inside = value.substr(1, value.size() - 2);
  if (inside.find(value.front()) == std::string_view::npos || wrapped(inside, value.front()) ||
      IsBlank(inside.front()) || IsBlank(inside.back()))
    return std::string(inside);
  return std::string(value);
}

std::optional<KeyValues> SectionValues(std::string_view file, std::string_view section_name) {
  for (const Section& section : Parse(file)) {
    if (section.name.empty() || !SameName(section.name, section_name)) continue;
    KeyValues values;
    for (const Key& key : section.keys)
      values.emplace_back(key.name, UnquotedValue(key.value.value_or("")));
    return values;
  }
  return std::nullopt;
}

std::optional<std::string> ProfileAfterWrites(std::string_view file, std::string_view section,
                                              const KeyValues& values) {
  std::vector<Section> sections = Parse(file);
  bool changed = false;
  for (const auto& [key, value] : values) changed = Set(sections, section, key, value) || changed;
  if (!changed) return std::nullopt;
  return Write(sections);
}

}  // namespace yx::settings
