#include "base/exclusion.h"

#include <functional>

#include "base/cp932.h"
#include "base/wildcard.h"

namespace yx {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  // A blank is never the second byte of a double-byte character.
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Upper case for the letters code page 932 holds in both cases, as Windows
// compares names: ASCII, full-width Latin, Greek, Cyrillic and the Roman
// numerals (whose IBM duplicates become the NEC codes Windows writes).
uint16_t Folded(uint16_t c) {
  if (c >= 'a' && c <= 'z') return static_cast<uint16_t>(c - 'a' + 'A');
  if (c >= 0x8281 && c <= 0x829A) return static_cast<uint16_t>(c - 0x21);  // ａ-ｚ
  if (c >= 0x83BF && c <= 0x83D6) return static_cast<uint16_t>(c - 0x20);  // α-ω
  if (c >= 0x8470 && c <= 0x8491 && c != 0x847F)                           // а-я, 7F unused
    return static_cast<uint16_t>(0x8440 + c - 0x8470 - (c > 0x847F ? 1 : 0));
  if (c >= 0xFA40 && c <= 0xFA53) return static_cast<uint16_t>(0x8754 + (c - 0xFA40) % 10);
  if (c >= 0xEEEF && c <= 0xEEF8) return static_cast<uint16_t>(0x8754 + c - 0xEEEF);
  return c;
}

// The parts of a path between whole-character backslashes.
std::vector<std::string_view> SplitParts(std::string_view s) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i < s.size();) {
    const size_t n = cp932::CharLength(s, i);
    if (n == 1 && s[i] == '\\') {
      parts.push_back(s.substr(start, i - start));
      start = i + 1;
    }
    i += n;
  }
  parts.push_back(s.substr(start));
  return parts;
}

std::vector<uint16_t> Decode(std::string_view s) {
  std::vector<uint16_t> chars;
  chars.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const size_t n = cp932::CharLength(s, i);
    uint16_t c = static_cast<unsigned char>(s[i]);
    if (n == 2) c = static_cast<uint16_t>(c << 8 | static_cast<unsigned char>(s[i + 1]));
    chars.push_back(Folded(c));
    i += n;
  }
  return chars;
}

// '*' any run, '?' one character; both sides folded already.
bool Matches(const std::vector<uint16_t>& pattern, const std::vector<uint16_t>& name) {
  return WildcardMatch<uint16_t>(pattern, name, std::equal_to<>());
}

bool IsForbidden(unsigned char c) {
  return c < 0x20 || c == '<' || c == '>' || c == ':' || c == '"' || c == '/' || c == '|';
}

}  // namespace

bool IsUsableExclusion(std::string_view pattern) {
  pattern = Trimmed(pattern);
  if (pattern.empty() || !cp932::IsWellFormed(pattern)) return false;
  for (size_t i = 0; i < pattern.size(); i += cp932::CharLength(pattern, i))
    if (cp932::CharLength(pattern, i) == 1 && IsForbidden(static_cast<unsigned char>(pattern[i])))
      return false;
  // One '\' in front and one at the end say what kind the pattern is; any
  // other empty part would have to match a name that is empty.
  if (pattern.front() == '\\') pattern.remove_prefix(1);
  if (cp932::EndsWithBackslash(pattern)) pattern.remove_suffix(1);
  if (pattern.empty()) return false;
  for (std::string_view part : SplitParts(pattern))
    if (part.empty()) return false;
  return true;
}

bool TakesEveryName(std::string_view pattern) {
  pattern = Trimmed(pattern);
  if (!pattern.empty() && pattern.front() == '\\') pattern.remove_prefix(1);
  return !pattern.empty() &&
         (pattern == "*.*" || pattern.find_first_not_of('*') == std::string_view::npos);
}

Exclusions::Exclusions(std::span<const std::string> rows, uint64_t size_limit)
    : size_limit_(size_limit) {
  for (size_t row = 0; row < rows.size(); ++row) {
    if (!IsUsableExclusion(rows[row])) continue;
    std::string_view text = Trimmed(rows[row]);
    Pattern pattern;
    pattern.row = static_cast<int>(row);
    pattern.folders_only = cp932::EndsWithBackslash(text);
    if (pattern.folders_only) text.remove_suffix(1);
    pattern.anchored = text.front() == '\\';
    if (pattern.anchored) text.remove_prefix(1);
    for (std::string_view part : SplitParts(text)) {
      pattern.parts.push_back(Decode(part == "*.*" ? "*" : part));
    }
    pattern.anchored = pattern.anchored || pattern.parts.size() > 1;
    any_anchored_ = any_anchored_ || pattern.anchored;
    patterns_.push_back(std::move(pattern));
  }
}

int Exclusions::Match(std::string_view relative, bool is_folder, uint64_t size) const {
  if (!patterns_.empty()) {
    std::vector<std::string_view> path_parts;
    std::vector<Chars> decoded;
    if (any_anchored_) {
      path_parts = SplitParts(relative);
    } else {
      const size_t cut = cp932::FindLastBackslash(relative, 0, relative.size());
      path_parts.push_back(cut == std::string_view::npos ? relative : relative.substr(cut + 1));
    }
    for (std::string_view part : path_parts) decoded.push_back(Decode(part));
    for (const Pattern& pattern : patterns_) {
      if (pattern.folders_only && !is_folder) continue;
      if (!pattern.anchored) {
        if (Matches(pattern.parts.front(), decoded.back())) return pattern.row;
        continue;
      }
      if (pattern.parts.size() != decoded.size()) continue;
      bool all = true;
      for (size_t k = 0; all && k < decoded.size(); ++k)
        all = Matches(pattern.parts[k], decoded[k]);
      if (all) return pattern.row;
    }
  }
  if (!is_folder && size_limit_ != 0 && size > size_limit_) return kTooLarge;
  return kNoMatch;
}

}  // namespace yx
