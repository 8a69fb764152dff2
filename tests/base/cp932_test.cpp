#include "base/cp932.h"

#include <gtest/gtest.h>

namespace yx::cp932 {
namespace {

TEST(Cp932, TrailByteBackslashIsNoBackslash) {
  EXPECT_FALSE(EndsWithBackslash("C:\\\x95\x5C"));  // 表: trail byte is a backslash
  EXPECT_FALSE(EndsWithBackslash("C:\\\x83\x5C"));  // ソ
  EXPECT_TRUE(EndsWithBackslash("C:\\\x95\x5C\\"));
  EXPECT_TRUE(EndsWithBackslash("\\"));
  EXPECT_FALSE(EndsWithBackslash(""));
  EXPECT_EQ(WithTrailingBackslash("C:\\\x83\x5C"), "C:\\\x83\x5C\\");
  EXPECT_EQ(WithTrailingBackslash("C:\\data\\"), "C:\\data\\");
}

TEST(Cp932, FindLastBackslashStepsOverDoubleByteCharacters) {
  const std::string s = "C:\\a\x95\x5C\\";  // C:\a表\ .
  EXPECT_EQ(FindLastBackslash(s, 0, s.size() - 2), 2u);
  EXPECT_EQ(FindLastBackslash(s, 0, s.size() - 1), s.size() - 1);
  EXPECT_EQ(FindLastBackslash("abc", 0, 2), std::string_view::npos);
}

TEST(Cp932, FolderPart) {
  EXPECT_EQ(FolderPart("C:\\data\\a.txt"), "C:\\data\\");
  EXPECT_EQ(FolderPart("C:\\\x95\x5C.txt"), "C:\\");
  EXPECT_EQ(FolderPart("a.txt"), "");
}

TEST(Cp932, DanglingLeadByte) {
  EXPECT_FALSE(IsWellFormed("ab\x95"));
  EXPECT_TRUE(IsWellFormed("\x95\x5C"));
  EXPECT_FALSE(IsWellFormed("\x95\x7F"));
  EXPECT_EQ(CharLength("a\x95", 1), 1u);
  EXPECT_FALSE(EndsWithBackslash("\x95\\"));  // 表 written with a plain backslash byte
}

}  // namespace
}  // namespace yx::cp932
