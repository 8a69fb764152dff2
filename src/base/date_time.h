#pragma once
// The program's date-time value: days since 1899-12-30 with the time of day as
// the fraction, as stored by the settings window and compared by the sweep.
#include <functional>
#include <string>
#include <string_view>

namespace yx {

using DateTime = double;

struct DateTimeParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

[[nodiscard]] bool IsLeapYear(int year);
[[nodiscard]] int DaysInMonth(int year, int month);
[[nodiscard]] bool IsValidDate(int year, int month, int day);

// Callers pass a valid date; the time fields are added as given.
[[nodiscard]] DateTime EncodeDateTime(const DateTimeParts& parts);
[[nodiscard]] DateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0,
                                      int second = 0, int millisecond = 0);
// Rounds to the nearest millisecond, so 23:59:59.9995 belongs to the next day.
[[nodiscard]] DateTimeParts DecodeDateTime(DateTime value);

// Monday 0 ... Sunday 6.
[[nodiscard]] int WeekdayMondayFirst(DateTime value);

// Moves by whole months, keeping the time of day; a day past the end of the
// target month becomes its last day (03-31 minus one month is 02-29 or 02-28).
[[nodiscard]] DateTime AddMonths(DateTime value, int months);

// Patterns: yy mm dd hh nn ss; "/" and ":" are the Japanese separators; every
// other character (backslash and underscore included) is copied as it stands.
[[nodiscard]] std::string FormatDateTime(std::string_view pattern, DateTime value);

// A duration shows its time of day only: whole days are dropped.
[[nodiscard]] std::string FormatDuration(DateTime duration);

// A clock given to the program instead of the real one: it reads `start`,
// then `step` later at each further reading, so every stamp and elapsed time
// of a run is known in advance.
[[nodiscard]] std::function<DateTime()> SteppingClock(DateTime start, DateTime step = 0);

}  // namespace yx
