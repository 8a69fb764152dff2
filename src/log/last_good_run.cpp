#include "log/last_good_run.h"

#include <cmath>

namespace yx::log {
namespace {

// "\tバックアップ正常終了" as CP932 bytes, spelt out so that the code means
// the same when a compiler without the CP932 option builds it (the fuzzer).
constexpr std::string_view kGoodLine =
    "\t\x83\x6f\x83\x62\x83\x4e\x83\x41\x83\x62\x83\x76\x90\xb3\x8f\xed\x8f\x49\x97\xb9";
constexpr std::string_view kStart = "START=";

// Two digits at `at`, or -1.
int TwoDigits(std::string_view s, size_t at) {
  const auto digit = [&](size_t i) { return s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : -100; };
  const int value = digit(at) * 10 + digit(at + 1);
  return value < 0 ? -1 : value;
}

// "yy/mm/dd hh:nn:ss" exactly, as the log stamps it; anything else (a stray
// byte, a date that does not exist) is no stamp.
std::optional<DateTime> ParseStamp(std::string_view s) {
  constexpr std::string_view kShape = "00/00/00 00:00:00";
  if (s.size() != kShape.size()) return std::nullopt;
  for (size_t i = 0; i < s.size(); ++i)
    if (kShape[i] != '0' && s[i] != kShape[i]) return std::nullopt;
  const int yy = TwoDigits(s, 0), mo = TwoDigits(s, 3), d = TwoDigits(s, 6);
  const int h = TwoDigits(s, 9), mi = TwoDigits(s, 12), sec = TwoDigits(s, 15);
  if (yy < 0 || h < 0 || h > 23 || mi < 0 || mi > 59 || sec < 0 || sec > 59) return std::nullopt;
  if (!IsValidDate(2000 + yy, mo, d)) return std::nullopt;
  return EncodeDateTime(2000 + yy, mo, d, h, mi, sec);
}

// A stamp this far after now is the clock's fault, not a rounding.
constexpr DateTime kAheadTolerance = 1.0 / (24 * 60);

}  // namespace

GoodRunScan ScanMonthLog(std::string_view text) {
  GoodRunScan scan;
  std::optional<DateTime> run_start;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (line.starts_with(kStart)) {
      run_start = ParseStamp(line.substr(kStart.size()));
      scan.any_run = scan.any_run || run_start.has_value();
    } else if (line == kGoodLine && run_start) {
      scan.last_good = run_start;
    }
  }
  return scan;
}

BackupAge AgeOfLastGoodRun(const MonthLogReader& read_month, DateTime now, int warn_days) {
  BackupAge age;
  const DateTimeParts today = DecodeDateTime(now);
  bool any_run = false;
  for (int back = 0; back <= kMonthsBack; ++back) {
    const int index = today.year * 12 + today.month - 1 - back;
    const std::optional<std::string> text = read_month(index / 12, index % 12 + 1);
    if (!text) return BackupAge{AgeState::kUnknown};
    const GoodRunScan scan = ScanMonthLog(*text);
    any_run = any_run || scan.any_run;
    if (!scan.last_good) continue;
    const DateTime since = now - *scan.last_good;
    if (since < -kAheadTolerance) return BackupAge{AgeState::kAhead};
    age.days = since <= 0 ? 0 : static_cast<int>(std::floor(since));
    age.last_good = *scan.last_good;
    age.state = since > warn_days ? AgeState::kOld : AgeState::kRecent;
    return age;
  }
  age.state = any_run ? AgeState::kNoneGood : AgeState::kNoRuns;
  return age;
}

}  // namespace yx::log
