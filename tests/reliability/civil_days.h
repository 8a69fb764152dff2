#pragma once
// Calendar days as whole numbers, worked out apart from the program's own
// date code (and from <chrono>'s calendar, whose header cannot be compiled
// with the CP932 execution character set), so that the long-use expectations
// do not repeat the program's arithmetic.
namespace yx::test {

struct Civil {
  int year, month, day;
};

// Days since 1970-01-01.
[[nodiscard]] constexpr long DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

[[nodiscard]] constexpr Civil CivilFromDays(long z) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {static_cast<int>(yoe + era * 400 + (m <= 2)), m, d};
}

// 1970-01-01 was a Thursday.
[[nodiscard]] constexpr int WeekdayMonday0(long z) { return static_cast<int>(((z % 7) + 10) % 7); }

static_assert(DaysFromCivil(2004, 2, 29) + 1 == DaysFromCivil(2004, 3, 1));
static_assert(CivilFromDays(DaysFromCivil(2003, 12, 31)).day == 31);
static_assert(WeekdayMonday0(DaysFromCivil(2001, 5, 23)) == 2);  // a Wednesday

}  // namespace yx::test
