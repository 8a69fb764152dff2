#include <gtest/gtest.h>

#include "log/run_log.h"

namespace yx::log {
namespace {

TEST(RunLogText, LoneCarriageReturnsAndLineFeedsBecomeCrLf) {
  EXPECT_EQ(NormalizeLineEnds("a\rb\nc\r\nd"), "a\r\nb\r\nc\r\nd");
  EXPECT_EQ(NormalizeLineEnds("\n\n"), "\r\n\r\n");
  EXPECT_EQ(NormalizeLineEnds("\r\r\n"), "\r\n\r\n");
  EXPECT_EQ(NormalizeLineEnds(""), "");
}

TEST(RunLogText, LinesEndWithCrLfAndLogLinesStartWithOneTab) {
  RunLog log;
  std::string seen;
  log.on_append = [&](std::string_view added) { seen += added; };
  log.Append("START=01/05/23 12:00:00");
  log.LogLine("バックアップ正常終了");
  EXPECT_EQ(log.Text(), "START=01/05/23 12:00:00\r\n\tバックアップ正常終了\r\n");
  EXPECT_EQ(seen, log.Text());
}

}  // namespace
}  // namespace yx::log
