#include "base/date_time.h"

#include <gtest/gtest.h>

namespace yx {
namespace {

TEST(DateTime, EpochAndKnownDays) {
  EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 30), 0.0);
  EXPECT_DOUBLE_EQ(EncodeDateTime(1900, 1, 1), 2.0);
  EXPECT_DOUBLE_EQ(EncodeDateTime(2001, 5, 23), 37034.0);
  EXPECT_DOUBLE_EQ(EncodeDateTime(2001, 5, 23, 12), 37034.5);
}

TEST(DateTime, DecodeRoundTripsEveryDayOfFourCenturies) {
  for (double d = EncodeDateTime(1950, 1, 1); d < EncodeDateTime(2100, 1, 1); d += 1) {
    const DateTimeParts p = DecodeDateTime(d + 0.25);
    ASSERT_TRUE(IsValidDate(p.year, p.month, p.day));
    ASSERT_DOUBLE_EQ(EncodeDateTime(p.year, p.month, p.day), d);
    ASSERT_EQ(p.hour, 6);
  }
}

TEST(DateTime, DecodeRoundsToTheMillisecondAndCarriesIntoTheNextDay) {
  const DateTimeParts p = DecodeDateTime(EncodeDateTime(2024, 2, 29) - 0.0000000001);
  EXPECT_EQ(p.day, 29);
  EXPECT_EQ(p.hour, 0);
  const DateTimeParts q = DecodeDateTime(EncodeDateTime(2024, 2, 28, 23, 59, 59, 999));
  EXPECT_EQ(q.day, 28);
  EXPECT_EQ(q.millisecond, 999);
}

TEST(DateTime, Weekdays) {
  EXPECT_EQ(WeekdayMondayFirst(EncodeDateTime(2001, 5, 23)), 2);  // Wednesday
  EXPECT_EQ(WeekdayMondayFirst(EncodeDateTime(2001, 4, 1)), 6);   // Sunday
  EXPECT_EQ(WeekdayMondayFirst(EncodeDateTime(1999, 12, 27, 23)), 0);
}

TEST(DateTime, AddMonthsClampsToTheEndOfTheMonth) {
  auto at = [](int y, int m, int d) { return EncodeDateTime(y, m, d, 10, 15); };
  EXPECT_DOUBLE_EQ(AddMonths(at(2024, 3, 31), -1), at(2024, 2, 29));
  EXPECT_DOUBLE_EQ(AddMonths(at(2024, 3, 31), -13), at(2023, 2, 28));
  EXPECT_DOUBLE_EQ(AddMonths(at(2024, 2, 29), -12), at(2023, 2, 28));
  EXPECT_DOUBLE_EQ(AddMonths(at(2024, 1, 15), -1), at(2023, 12, 15));
  EXPECT_DOUBLE_EQ(AddMonths(at(2024, 1, 15), -99), at(2015, 10, 15));
  EXPECT_DOUBLE_EQ(AddMonths(at(2024, 12, 31), -12), at(2023, 12, 31));
}

TEST(DateTime, FormatPatterns) {
  const DateTime t = EncodeDateTime(2001, 5, 23, 9, 5, 7);
  EXPECT_EQ(FormatDateTime("yy/mm/dd hh:nn:ss", t), "01/05/23 09:05:07");
  EXPECT_EQ(FormatDateTime("yymm\\dd\\hhnn\\", t), "0105\\23\\0905\\");
  EXPECT_EQ(FormatDateTime("yymmdd_hhnn", t), "010523_0905");
  EXPECT_EQ(FormatDateTime("mm/dd hh:nn:ss", t), "05/23 09:05:07");
}

TEST(DateTime, DurationsDropWholeDays) {
  EXPECT_EQ(FormatDuration(25.0 / 24), "01:00:00");
  EXPECT_EQ(
      FormatDuration(EncodeDateTime(2001, 5, 23, 12, 3, 12) - EncodeDateTime(2001, 5, 23, 12)),
      "00:03:12");
}

}  // namespace
}  // namespace yx
