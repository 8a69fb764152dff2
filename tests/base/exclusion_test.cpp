#include "base/exclusion.h"

#include <gtest/gtest.h>

#include <array>

namespace yx {
namespace {

int MatchOne(const std::string& pattern, std::string_view relative, bool is_folder = false) {
  const std::array rows{pattern};
  return Exclusions(rows, 0).Match(relative, is_folder, 0);
}
bool Hits(const std::string& pattern, std::string_view relative, bool is_folder = false) {
  return MatchOne(pattern, relative, is_folder) == 0;
}

TEST(Exclusions, NamePatternsMatchAtAnyDepthWithoutCase) {
  EXPECT_TRUE(Hits("*.tmp", "a.TMP"));
  EXPECT_TRUE(Hits("*.tmp", "sub\\deeper\\x.tmp"));
  EXPECT_TRUE(Hits("*.tmp", "build.tmp", true));  // a folder's name too
  EXPECT_FALSE(Hits("*.tmp", "a.tmp.txt"));
  EXPECT_TRUE(Hits("~$*", "~$見積書.xlsx"));
  EXPECT_TRUE(Hits("thumbs.db", "Pics\\Thumbs.db"));
  EXPECT_TRUE(Hits("a?c", "abc"));
  EXPECT_FALSE(Hits("a?c", "ac"));
  EXPECT_TRUE(Hits("*", "anything"));
  EXPECT_TRUE(Hits("*.*", "no_dot"));
  EXPECT_TRUE(Hits("  *.tmp\t", "a.tmp"));  // blanks at the ends are not part of it
  // Full-width, Greek and Cyrillic letters fold as Windows folds them.
  EXPECT_TRUE(Hits("ＡＢＣ*", "ａｂｃ.txt"));
  EXPECT_TRUE(Hits("ω", "Ω"));
  EXPECT_TRUE(Hits("я", "Я"));
  EXPECT_FALSE(Hits("я", "ё"));
  EXPECT_TRUE(Hits("\xFA\x40", "\x87\x54"));  // ⅰ (IBM) against Ⅰ (NEC)
  // A character the code page lacks arrives as '?': only a wildcard takes it.
  EXPECT_TRUE(Hits("caf?.txt", "caf?.txt"));
  EXPECT_FALSE(Hits("cafe.txt", "caf?.txt"));
}

TEST(Exclusions, TrailBytesAreNeverBackslashes) {
  // ソ is 83 5C and 表 95 5C: neither ends a folder pattern nor splits a path.
  EXPECT_TRUE(Hits("ソ", "ソ"));
  EXPECT_TRUE(Hits("ソ", "dir\\ソ"));
  EXPECT_FALSE(Hits("ソ", "ソ\\x"));
  EXPECT_TRUE(Hits("表*", "表計算.xls"));     // a name pattern, not a path
  EXPECT_TRUE(Hits("*表", "sub\\予定表"));    // at any depth
  EXPECT_FALSE(Hits("表\\", "表"));           // folders only
  EXPECT_TRUE(Hits("表\\", "x\\表", true));   // a folder named 表
  EXPECT_TRUE(Hits("ソ\\表", "ソ\\表"));      // a path: two parts
  EXPECT_FALSE(Hits("ソ\\表", "x\\ソ\\表"));  // from the top only
  EXPECT_TRUE(Hits("ポ", "ポ"));              // 83 7C: its trail byte is '|'
}

TEST(Exclusions, FolderAndPathPatterns) {
  EXPECT_TRUE(Hits("node_modules\\", "web\\node_modules", true));
  EXPECT_FALSE(Hits("node_modules\\", "web\\node_modules"));  // a file of that name stays
  EXPECT_TRUE(Hits("Work\\cache\\*", "Work\\cache\\a.bin"));
  EXPECT_TRUE(Hits("Work\\cache\\*", "work\\CACHE\\sub", true));
  EXPECT_FALSE(Hits("Work\\cache\\*", "Work\\cache", true));  // the folder itself stays
  EXPECT_FALSE(Hits("Work\\cache\\*", "x\\Work\\cache\\a"));
  EXPECT_FALSE(Hits("Work\\cache\\*", "Work\\cache\\sub\\a"));  // '*' stays in its part
  EXPECT_TRUE(Hits("\\Thumbs.db", "Thumbs.db"));                // in front: the top only
  EXPECT_FALSE(Hits("\\Thumbs.db", "sub\\Thumbs.db"));
  EXPECT_TRUE(Hits("\\bin\\", "bin", true));
}

TEST(Exclusions, FirstRowWinsAndTheSizeLimitComesLast) {
  const std::array<std::string, 4> rows{"", "*.iso", "", "*"};
  const Exclusions ex(rows, 10 * 1024 * 1024);
  EXPECT_EQ(ex.Match("disk.iso", false, 1), 1);
  EXPECT_EQ(ex.Match("a.txt", false, 1), 3);
  const std::array<std::string, 1> none{""};
  const Exclusions size_only(none, 1000);
  EXPECT_EQ(size_only.Match("big.vhd", false, 1001), Exclusions::kTooLarge);
  EXPECT_EQ(size_only.Match("ok.vhd", false, 1000), Exclusions::kNoMatch);
  EXPECT_EQ(size_only.Match("folder", true, 5000), Exclusions::kNoMatch);
  EXPECT_TRUE(Exclusions(none, 0).Empty());
}

TEST(Exclusions, UnusablePatterns) {
  for (const char* bad :
       {"", "   ", "a|b", "a:b", "x/y", "<", "\"q\"", "a\\\\b", "\\", "\\\\", "a\tb", "ab\x95"})
    EXPECT_FALSE(IsUsableExclusion(bad)) << bad;
  for (const char* good : {"ソ", "表\\", "ポ", "~$*", "*", "node_modules\\", "\\a\\b\\", "*.*"})
    EXPECT_TRUE(IsUsableExclusion(good)) << good;
  const std::array<std::string, 1> bad_row{"a|b"};
  EXPECT_EQ(Exclusions(bad_row, 0).Match("a|b", false, 0), Exclusions::kNoMatch);
  EXPECT_TRUE(IsUsableExclusion(std::string(2047, '*')));
}

}  // namespace
}  // namespace yx
