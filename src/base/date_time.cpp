#include "base/date_time.h"

#include <cmath>
#include <cstdio>

namespace yx {
namespace {

constexpr long long kMsPerDay = 86'400'000;

// Days from 0001-01-01 (proleptic Gregorian) to the first of the given month.
long long DaysBeforeDate(int year, int month, int day) {
  long long y = year - 1;
  long long days = y * 365 + y / 4 - y / 100 + y / 400;
  for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
  return days + day - 1;
}

const long long kEpochDays = DaysBeforeDate(1899, 12, 30);

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

DateTime EncodeDateTime(const DateTimeParts& p) {
  const long long days = DaysBeforeDate(p.year, p.month, p.day) - kEpochDays;
  const long long ms =
      ((static_cast<long long>(p.hour) * 60 + p.minute) * 60 + p.second) * 1000 + p.millisecond;
  return static_cast<double>(days) + static_cast<double>(ms) / kMsPerDay;
}

DateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                        int millisecond) {
  return EncodeDateTime(DateTimeParts{year, month, day, hour, minute, second, millisecond});
}

DateTimeParts DecodeDateTime(DateTime value) {
  const long long total_ms = std::llround(value * kMsPerDay);
  long long days = total_ms / kMsPerDay;
  long long ms = total_ms % kMsPerDay;
  if (ms < 0) {
    ms += kMsPerDay;
    --days;
  }
  DateTimeParts p;
  long long n = days + kEpochDays;  // days since 0001-01-01
  // 400-year cycles of 146097 days, then centuries, 4-year cycles and years.
  long long y400 = n / 146097;
  n %= 146097;
  long long y100 = n / 36524;
  if (y100 == 4) y100 = 3;
  n -= y100 * 36524;
  long long y4 = n / 1461;
  n %= 1461;
  long long y1 = n / 365;
  if (y1 == 4) y1 = 3;
  n -= y1 * 365;
  p.year = static_cast<int>(y400 * 400 + y100 * 100 + y4 * 4 + y1 + 1);
  p.month = 1;
  while (n >= DaysInMonth(p.year, p.month)) {
    n -= DaysInMonth(p.year, p.month);
    ++p.month;
  }
  p.day = static_cast<int>(n) + 1;
  p.hour = static_cast<int>(ms / 3'600'000);
  p.minute = static_cast<int>(ms / 60'000 % 60);
  p.second = static_cast<int>(ms / 1000 % 60);
  p.millisecond = static_cast<int>(ms % 1000);
  return p;
}

int WeekdayMondayFirst(DateTime value) {
  // 1899-12-30 was a Saturday (index 5).
  const long long days = static_cast<long long>(std::floor(value));
  return static_cast<int>(((days + 5) % 7 + 7) % 7);
}

DateTime AddMonths(DateTime value, int months) {
  DateTimeParts p = DecodeDateTime(value);
  const double time_of_day = value - std::floor(value);
  p.year += months / 12;
  p.month += months % 12;
  if (p.month < 1) {
    p.year -= 1;
    p.month += 12;
  } else if (p.month > 12) {
    p.year += 1;
    p.month -= 12;
  }
  if (p.day > DaysInMonth(p.year, p.month)) p.day = DaysInMonth(p.year, p.month);
  return EncodeDateTime(p.year, p.month, p.day) + time_of_day;
}

std::string FormatDateTime(std::string_view pattern, DateTime value) {
  const DateTimeParts p = DecodeDateTime(value);
  std::string out;
  char two[8];
  auto put2 = [&](int v) {
    std::snprintf(two, sizeof two, "%02d", v);
    out += two;
  };
  for (size_t i = 0; i < pattern.size();) {
    const std::string_view rest = pattern.substr(i);
    if (rest.starts_with("yy"))
      put2(p.year % 100);
    else if (rest.starts_with("mm"))
      put2(p.month);
    else if (rest.starts_with("dd"))
      put2(p.day);
    else if (rest.starts_with("hh"))
      put2(p.hour);
    else if (rest.starts_with("nn"))
      put2(p.minute);
    else if (rest.starts_with("ss"))
      put2(p.second);
    else {
      out += pattern[i];
      ++i;
      continue;
    }
    i += 2;
  }
  return out;
}

std::string FormatDuration(DateTime duration) { return FormatDateTime("hh:nn:ss", duration); }

std::function<DateTime()> SteppingClock(DateTime start, DateTime step) {
  return [now = start, step]() mutable {
    const DateTime reading = now;
    now += step;
    return reading;
  };
}

}  // namespace yx
