#pragma once
// Reading a run log back as its lines, and checking that one run left
// exactly the lines it should: START with the run's own time, the lines in
// between as given, then (for a run whose checks passed) the elapsed time
// that END minus START really is, and END. The test build's clock stands
// still, so every stamp is exact.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace yx::test {

// Lines without their CR LF; a last line without a line end counts too.
[[nodiscard]] std::vector<std::string> SplitLines(std::string_view text);

// "yy/mm/dd hh:nn:ss" as seconds since 2000-01-01, or -1.
[[nodiscard]] long long StampSeconds(std::string_view stamp);

struct ExpectedRun {
  std::string start;               // "yy/mm/dd hh:nn:ss"
  std::vector<std::string> lines;  // every line between START and the closing ones
  bool elapsed = true;             // a "処理時間=" line precedes END
};

// Checks the run that begins at lines[at] and moves `at` past its END.
[[nodiscard]] ::testing::AssertionResult MatchRun(const std::vector<std::string>& lines, size_t& at,
                                                  const ExpectedRun& run);

// The whole text is exactly these runs, after `earlier` bytes kept as they were.
[[nodiscard]] ::testing::AssertionResult LogHolds(std::string_view text, std::string_view earlier,
                                                  const std::vector<ExpectedRun>& runs);

}  // namespace yx::test
