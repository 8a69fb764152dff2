#include <gtest/gtest.h>

#include "backup/version_caption.h"

namespace yx::backup {
namespace {

TEST(Unlha32Caption, VersionDivAndModHundredWithoutLeadingZeros) {
  EXPECT_EQ(VersionCaption(253), "ver 2.53");
  EXPECT_EQ(VersionCaption(205), "ver 2.5");
  EXPECT_EQ(VersionCaption(1000), "ver 10.0");
  EXPECT_EQ(VersionCaption(99), "ver 0.99");
  EXPECT_EQ(VersionCaption(100), "ver 1.0");  // what this project's UNLHA32.DLL reports
  EXPECT_EQ(VersionCaption(0), "ver 0.0");
  EXPECT_EQ(VersionCaption(65535), "ver 655.35");
}

}  // namespace
}  // namespace yx::backup
