#include "reliability/run_lines.h"

#include <cstdio>

namespace yx::test {
namespace {

constexpr std::string_view kElapsed = "\t処理時間=";
// A run of the test programs lasts seconds; a stamp far off is a wrong clock.
constexpr long long kLongestRun = 10 * 60;

long long DaysFrom2000(int y, int m, int d) {
  // Civil days, independent of the program's own date code.
  y -= m <= 2;
  const long long era = y / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 730425;
}

bool TwoDigits(std::string_view s, size_t at, int& value) {
  if (at + 2 > s.size() || s[at] < '0' || s[at] > '9' || s[at + 1] < '0' || s[at + 1] > '9')
    return false;
  value = (s[at] - '0') * 10 + (s[at + 1] - '0');
  return true;
}

}  // namespace

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t from = 0;
  while (from < text.size()) {
    const size_t end = text.find("\r\n", from);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(from));
      break;
    }
    lines.emplace_back(text.substr(from, end - from));
    from = end + 2;
  }
  return lines;
}

long long StampSeconds(std::string_view s) {
  int yy, mm, dd, hh, nn, ss;
  if (s.size() != 17 || s[2] != '/' || s[5] != '/' || s[8] != ' ' || s[11] != ':' || s[14] != ':' ||
      !TwoDigits(s, 0, yy) || !TwoDigits(s, 3, mm) || !TwoDigits(s, 6, dd) ||
      !TwoDigits(s, 9, hh) || !TwoDigits(s, 12, nn) || !TwoDigits(s, 15, ss))
    return -1;
  if (mm < 1 || mm > 12 || dd < 1 || dd > 31 || hh > 23 || nn > 59 || ss > 59) return -1;
  return DaysFrom2000(yy < 50 ? 2000 + yy : 1900 + yy, mm, dd) * 86400 + hh * 3600 + nn * 60 + ss;
}

::testing::AssertionResult MatchRun(const std::vector<std::string>& lines, size_t& at,
                                    const ExpectedRun& run) {
  auto fail = [&](std::string_view what) {
    return ::testing::AssertionFailure()
           << what << " at line " << at + 1 << ": \""
           << (at < lines.size() ? lines[at] : std::string("<end of log>")) << "\"";
  };
  if (at >= lines.size() || !lines[at].starts_with("START="))
    return fail("expected START=" + run.start);
  const long long start = StampSeconds(std::string_view(lines[at]).substr(6));
  if (start < 0 || start != StampSeconds(run.start)) return fail("expected START=" + run.start);
  ++at;
  for (const std::string& expected : run.lines) {
    if (at >= lines.size() || lines[at] != expected) return fail("expected \"" + expected + "\"");
    ++at;
  }
  long long elapsed = -1;
  if (run.elapsed) {
    int hh, nn, ss;
    const std::string& line = at < lines.size() ? lines[at] : std::string();
    if (!line.starts_with(kElapsed) || line.size() != kElapsed.size() + 8 ||
        !TwoDigits(line, kElapsed.size(), hh) || !TwoDigits(line, kElapsed.size() + 3, nn) ||
        !TwoDigits(line, kElapsed.size() + 6, ss))
      return fail("expected the elapsed time");
    elapsed = hh * 3600 + nn * 60 + ss;
    ++at;
  }
  if (at >= lines.size() || !lines[at].starts_with("END=")) return fail("expected END=");
  const long long end = StampSeconds(std::string_view(lines[at]).substr(4));
  if (end < start || end - start > kLongestRun) return fail("END out of the run's time");
  if (run.elapsed && elapsed != (end - start) % 86400) return fail("elapsed is not END - START");
  ++at;
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult LogHolds(std::string_view text, std::string_view earlier,
                                    const std::vector<ExpectedRun>& runs) {
  if (!text.starts_with(earlier))
    return ::testing::AssertionFailure()
           << "the earlier " << earlier.size() << " bytes of the log were not kept";
  const std::string_view rest = text.substr(earlier.size());
  if (!rest.empty() && !rest.ends_with("\r\n"))
    return ::testing::AssertionFailure() << "the log does not end with CR LF";
  const std::vector<std::string> lines = SplitLines(rest);
  size_t at = 0;
  for (const ExpectedRun& run : runs) {
    ::testing::AssertionResult matched = MatchRun(lines, at, run);
    if (!matched) return matched;
  }
  if (at != lines.size())
    return ::testing::AssertionFailure()
           << "unexpected line " << at + 1 << ": \"" << lines[at] << "\"";
  return ::testing::AssertionSuccess();
}

}  // namespace yx::test
