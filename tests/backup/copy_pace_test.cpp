// The choice of copies in flight, on a simulated machine where one copy at a
// time and several copy small files at rates of their own.
#include "backup/copy_pace.h"

#include <gtest/gtest.h>

#include <string>

namespace yx::backup {
namespace {

// The copies in flight every 100 ms over `ms` of copying 8 KB files, where
// one copy at a time does `one` files a millisecond and several `many`.
std::string Trace(double one, double many, int ms) {
  CopyPace pace(2);
  std::string trace;
  double now = 0;
  for (int mark = 0; mark < ms;) {
    now += 1 / (pace.InFlight() == 1 ? one : many);
    pace.Handed(8192, static_cast<uint64_t>(now));
    for (; mark <= now && mark < ms; mark += 100) trace += std::to_string(pace.InFlight());
  }
  return trace;
}

TEST(CopyPace, TriesBothKeepsTheFasterAWhileThenTriesAgainTheOtherWayRound) {
  const std::string settled(16, '2');
  EXPECT_EQ(Trace(2, 4, 2600), "2211" + settled + "1122" + "22");
  EXPECT_EQ(Trace(4, 2, 2600), "2211" + std::string(16, '1') + "1122" + "11");
}

TEST(CopyPace, SeveralMustWinClearlyAndOneNeverTries) {
  // A tie, and a win of 5 %, keep one copy at a time: a thread less for the
  // machine.
  EXPECT_EQ(Trace(4, 4, 800), "22111111");
  EXPECT_EQ(Trace(4, 4.2, 800), "22111111");
  CopyPace single(1);
  for (uint64_t ms = 0; ms < 1000; ms += 10) single.Handed(0, ms);
  EXPECT_EQ(single.InFlight(), 1);
}

}  // namespace
}  // namespace yx::backup
