#include "base/byte_size.h"

#include <gtest/gtest.h>

namespace yx {
namespace {

TEST(ByteSize, TheUnitThatFitsWithATenthWhereItTellsSomething) {
  EXPECT_EQ(FormatByteSize(0), "0 B");
  EXPECT_EQ(FormatByteSize(1023), "1023 B");
  EXPECT_EQ(FormatByteSize(1024), "1.0 KB");
  EXPECT_EQ(FormatByteSize(1536), "1.5 KB");
  EXPECT_EQ(FormatByteSize(24 * 1024 + 100), "24.1 KB");  // the copy that read "0.0 MB"
  EXPECT_EQ(FormatByteSize(512 * 1024), "512 KB");
  EXPECT_EQ(FormatByteSize(12897485), "12.3 MB");
  EXPECT_EQ(FormatByteSize(4831838208), "4.5 GB");
  // Just under a unit rounds up into the next one, never "1024 KB".
  EXPECT_EQ(FormatByteSize(1024 * 1024 - 1), "1.0 MB");
  EXPECT_EQ(FormatByteSize(1048524), "1.0 MB");  // 1,023.95 KB
  EXPECT_EQ(FormatByteSize(5ull << 40), "5.0 TB");
  EXPECT_EQ(FormatByteSize(UINT64_MAX), "16,777,216 TB");
}

}  // namespace
}  // namespace yx
