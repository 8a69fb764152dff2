#pragma once
// What a backup leaves out: name patterns as the user writes them (code page
// 932) and a size limit. Patterns follow Windows file patterns: '*' any run
// of characters, '?' one character, "*.*" every name, letters compared
// without case. Three kinds:
//   "*.tmp", "Thumbs.db"   a file or folder name at any depth;
//   "node_modules\"        a final '\': folders only;
//   "Work\cache\*"         a '\' inside (or in front): a path from the
//                          source's top folder, one pattern part per folder.
// A folder that matches is left out with everything in it. The source's top
// folder itself is never matched: patterns apply inside it.
// Names and paths here are code page 932; a name the code page cannot hold
// comes with '?' for what it lacks, which only a wildcard matches.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace yx {

// True for a pattern that can match something: not empty once the blanks at
// its ends are gone, well-formed Shift-JIS, no character Windows forbids in a
// name other than '*', '?' and '\' (a double-byte character whose second
// byte is '\' or '|', as in ソ, 表 or ポ, is a character like any other), and
// no empty part between two '\'.
[[nodiscard]] bool IsUsableExclusion(std::string_view cp932_pattern);

// True for a pattern that takes every name at the top of a source ("*",
// "*.*", "\*"): it would leave every backup empty, which is a mistake and
// never a setting, so the check refuses it.
[[nodiscard]] bool TakesEveryName(std::string_view cp932_pattern);

class Exclusions {
 public:
  static constexpr int kNoMatch = -1;
  static constexpr int kTooLarge = -2;  // by the size limit

  Exclusions() = default;
  // `cp932_patterns`: the rows, empty or not; a row that is not usable is
  // passed over. `size_limit`: files of more bytes are left out; 0: none.
  Exclusions(std::span<const std::string> cp932_patterns, uint64_t size_limit);

  [[nodiscard]] bool Empty() const noexcept { return patterns_.empty() && size_limit_ == 0; }

  // `relative`: the entry's path below the source's top folder, parts joined
  // by '\', the entry's own name last ("sub\a.tmp"). The row of the first
  // pattern that matches, kTooLarge for a file over the limit, or kNoMatch.
  [[nodiscard]] int Match(std::string_view cp932_relative, bool is_folder, uint64_t size) const;

 private:
  using Chars = std::vector<uint16_t>;  // one code per character, case folded
  struct Pattern {
    int row = 0;
    bool folders_only = false;
    bool anchored = false;
    std::vector<Chars> parts;
  };
  std::vector<Pattern> patterns_;
  uint64_t size_limit_ = 0;
  bool any_anchored_ = false;
};

}  // namespace yx
