#include "settings/int_or_default.h"

#include <gtest/gtest.h>

#include <string_view>

namespace yx::settings {
namespace {

constexpr int kFallback = -777;

int Read(std::string_view text) { return IntOrDefault(text, kFallback); }

TEST(IntOrDefault, DecimalAndHexadecimalForms) {
  EXPECT_EQ(Read("0"), 0);
  EXPECT_EQ(Read("2"), 2);
  EXPECT_EQ(Read("-1"), -1);
  EXPECT_EQ(Read("+5"), 5);
  EXPECT_EQ(Read("00012"), 12);
  EXPECT_EQ(Read("0x1E"), 30);
  EXPECT_EQ(Read("0X1e"), 30);
  EXPECT_EQ(Read("$1E"), 30);
  EXPECT_EQ(Read("x1e"), 30);
  EXPECT_EQ(Read("X1E"), 30);
  EXPECT_EQ(Read("$A"), 10);
}

TEST(IntOrDefault, ThirtyTwoBitLimits) {
  EXPECT_EQ(Read("2147483647"), 2147483647);
  EXPECT_EQ(Read("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(Read("2147483648"), kFallback);
  EXPECT_EQ(Read("-2147483649"), kFallback);
  EXPECT_EQ(Read("99999999999999999999999"), kFallback);
  // Hexadecimal is a 32-bit pattern read as two's complement.
  EXPECT_EQ(Read("$FFFFFFFF"), -1);
  EXPECT_EQ(Read("0x80000000"), -2147483647 - 1);
  EXPECT_EQ(Read("0x7FFFFFFF"), 2147483647);
  EXPECT_EQ(Read("0x100000000"), kFallback);
  EXPECT_EQ(Read("$00000000001"), 1);  // leading zeros are no overflow
}

TEST(IntOrDefault, OnlyLeadingSpacesAreAllowed) {
  EXPECT_EQ(Read(" 12"), 12);
  EXPECT_EQ(Read("   -7"), -7);
  EXPECT_EQ(Read("  $1E"), 30);
  EXPECT_EQ(Read("12 "), kFallback);
  EXPECT_EQ(Read("\t12"), kFallback);
  EXPECT_EQ(Read("- 5"), kFallback);
  EXPECT_EQ(Read("0x 1"), kFallback);
  EXPECT_EQ(Read(std::string_view("12\0", 3)), kFallback);
}

TEST(IntOrDefault, TextsThatAreNoInteger) {
  for (std::string_view text :
       {"", "   ", "+", "-", "$", "x", "0x", "-0x1", "+$1", "$-1", "+-5", "--5", "abc", "12a",
        "yes", "1.5", "$G", "0x1G", "１２" /* full-width digits */}) {
    EXPECT_EQ(Read(text), kFallback) << '"' << text << '"';
  }
  EXPECT_EQ(IntOrDefault("abc", 14), 14);
}

}  // namespace
}  // namespace yx::settings
