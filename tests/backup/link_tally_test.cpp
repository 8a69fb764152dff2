#include "backup/link_tally.h"

#include <gtest/gtest.h>

namespace yx::backup {
namespace {

TEST(LinkTally, CountsInGroupsOfThreeAndTheSizeInTheUnitThatFits) {
  // 12.3 MB: 12,897,485 bytes is 12.300 000 4 MB of 1,048,576 bytes.
  EXPECT_EQ(TallyLine({3412, 57, 12897485}), "3,412 件をリンク、57 件 (12.3 MB) をコピーしました");
  EXPECT_EQ(TallyLine({0, 0, 0}), "0 件をリンク、0 件 (0 B) をコピーしました");
  EXPECT_EQ(TallyLine({1234567, 1000, 24576}),
            "1,234,567 件をリンク、1,000 件 (24.0 KB) をコピーしました");
  EXPECT_EQ(TallyLine({0, 1, 1048576ull * 1234 + 996148}),
            "0 件をリンク、1 件 (1.2 GB) をコピーしました");
}

}  // namespace
}  // namespace yx::backup
