#include "settings/settings_keys.h"

#include <gtest/gtest.h>

namespace yx::settings {
namespace {

const SettingKey& Entry(std::string_view key) {
  for (const SettingKey& s : Keys())
    if (s.key == key) return s;
  throw std::out_of_range(std::string(key));
}

std::optional<std::string> Raw(const char* text) { return std::string(text); }

TEST(SettingsKeys, EveryKeyHoldsAPlaceOfItsOwn) {
  // Each key given a value no other key gets: a key pointed at another's
  // member or row would overwrite it, and the record would differ.
  Settings s;
  for (int i = 0; const SettingKey& k : Keys()) {
    ++i;
    if (k.kind == Kind::Flag) FlagIn(s, k) = true;
    if (k.kind == Kind::Integer) IntegerIn(s, k) = i;
    if (k.kind == Kind::String) TextIn(s, k) = std::to_string(i);
  }
  for (int i = 0; const SettingKey& k : Keys()) {
    ++i;
    switch (k.kind) {
      case Kind::Flag:
        EXPECT_TRUE(FlagIn(s, k)) << k.key;
        break;
      case Kind::Integer:
        EXPECT_EQ(IntegerIn(s, k), i) << k.key;
        break;
      case Kind::String:
        EXPECT_EQ(TextIn(s, k), std::to_string(i)) << k.key;
        break;
    }
  }
  // Every flag of the record is reached by some key.
  EXPECT_TRUE(s.use_time_list && s.use_lha && s.del_use && s.del_in_months && s.kill_use &&
              s.kill_in_months);
  for (size_t day = 0; day < s.launch_days.size(); ++day)
    EXPECT_TRUE(s.launch_days[day] && s.del_days[day]) << day;
}

TEST(SettingsKeys, PeriodValuesOutsideTheirRangeFallBackToTheDefault) {
  EXPECT_EQ(DecodeInteger(Entry("TIME_SH"), Raw("24")), 0);
  EXPECT_EQ(DecodeInteger(Entry("TIME_SH"), Raw("23")), 23);
  EXPECT_EQ(DecodeInteger(Entry("TIME_SM"), Raw("60")), 0);
  EXPECT_EQ(DecodeInteger(Entry("TIME_SS"), Raw("0")), 1);
  EXPECT_EQ(DecodeInteger(Entry("TIME_SS"), Raw("13")), 1);
  EXPECT_EQ(DecodeInteger(Entry("TIME_SS"), Raw("12")), 12);
}

TEST(SettingsKeys, RetentionCountsAreHeldAtTheNearerBound) {
  EXPECT_EQ(DecodeInteger(Entry("DEL_VAL"), Raw("0")), 1);
  EXPECT_EQ(DecodeInteger(Entry("DEL_VAL"), Raw("100")), 99);
  EXPECT_EQ(DecodeInteger(Entry("KILL_VAL"), Raw("-5")), 1);
  EXPECT_EQ(DecodeInteger(Entry("DEL_VAL"), Raw("abc")), 14);
  EXPECT_EQ(DecodeInteger(Entry("DEL_VAL"), Raw("12a")), 14);
  EXPECT_EQ(DecodeInteger(Entry("DEL_VAL"), Raw("0x1E")), 30);
  EXPECT_EQ(DecodeInteger(Entry("DEL_VAL"), Raw("$1E")), 30);
  EXPECT_EQ(DecodeInteger(Entry("KILL_VAL"), std::nullopt), 30);
  EXPECT_EQ(DecodeInteger(Entry("KILL_VAL"), Raw("")), 30);
  EXPECT_EQ(DecodeInteger(Entry("EXCL_SIZE"), Raw("4GB")), 0);  // no limit
  EXPECT_EQ(DecodeInteger(Entry("EXCL_SIZE"), Raw("-5")), 0);
}

TEST(SettingsKeys, FlagsFallBackToTheirOwnDefault) {
  EXPECT_TRUE(DecodeFlag(Entry("WEEK_MON"), Raw("yes")));
  EXPECT_FALSE(DecodeFlag(Entry("LHA_USE"), Raw("yes")));
  EXPECT_TRUE(DecodeFlag(Entry("LHA_USE"), Raw("2")));
  EXPECT_TRUE(DecodeFlag(Entry("DEL_USE"), Raw("-1")));
  EXPECT_FALSE(DecodeFlag(Entry("GO_RND"), Raw("0")));
  EXPECT_TRUE(DecodeFlag(Entry("DEL_SUN"), std::nullopt));
}

TEST(SettingsKeys, OnlyAnAbsentTimeKeyGivesTheDefaultTime) {
  EXPECT_EQ(DecodeText(Entry("TIME00"), std::nullopt), "1200");
  EXPECT_EQ(DecodeText(Entry("TIME00"), Raw("")), "");
  EXPECT_EQ(DecodeText(Entry("TIME01"), std::nullopt), "");
}

TEST(SettingsKeys, ValuesThatTheProfileApiWouldTrimAreQuoted) {
  EXPECT_EQ(EncodeText("C:\\data"), "C:\\data");
  EXPECT_EQ(EncodeText(""), "");
  EXPECT_EQ(EncodeText(" 930"), "\" 930\"");
  EXPECT_EQ(EncodeText("C:\\dir "), "\"C:\\dir \"");
  EXPECT_EQ(EncodeText("\"x\""), "\"\"x\"\"");
  EXPECT_EQ(EncodeText("'x'"), "\"'x'\"");
  EXPECT_EQ(EncodeText("\"x"), "\"x");
}

}  // namespace
}  // namespace yx::settings
