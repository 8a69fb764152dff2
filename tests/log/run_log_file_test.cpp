#include <gtest/gtest.h>

#include "base/file_error.h"
#include "log/run_log.h"
#include "support/temp_folder.h"
#include "win/unique_handle.h"

namespace yx::log {
namespace {

class RunLogFileTest : public ::testing::Test {
 protected:
  test::TempFolder dir;
  std::string path = dir.PathA() + "0105.log";
  std::wstring wide = dir.Path() + L"0105.log";
};

TEST_F(RunLogFileTest, AMissingFileLeavesTheLogEmptyAndCreatesNothing) {
  RunLog log;
  log.LoadLog(path);
  EXPECT_EQ(log.Text(), "");
  EXPECT_FALSE(dir.Exists(L"0105.log"));
}

TEST_F(RunLogFileTest, LoadTurnsLoneLineEndsIntoCrLfAndSaveWritesThemBack) {
  test::WriteWholeFile(wide, "a\nb\rc\r\n");
  RunLog log;
  std::string shown;
  log.on_reset = [&](std::string_view whole) { shown = whole; };
  log.LoadLog(path);
  EXPECT_EQ(log.Text(), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(shown, log.Text());
  log.Append("END=01/05/23 12:03:12");
  log.SaveLog(path);
  EXPECT_EQ(dir.ReadFile(L"0105.log"), "a\r\nb\r\nc\r\nEND=01/05/23 12:03:12\r\n");
}

TEST_F(RunLogFileTest, ALastLineWithoutLineEndStaysSoAfterAppending) {
  test::WriteWholeFile(wide, "old");
  RunLog log;
  log.LoadLog(path);
  log.LogLine("new");
  log.SaveLog(path);
  EXPECT_EQ(dir.ReadFile(L"0105.log"), "old\r\n\tnew");
}

TEST_F(RunLogFileTest, AFailedSaveLeavesTheOldFileWhole) {
  test::WriteWholeFile(wide, "kept\r\n");
  // Held open without delete sharing: the file cannot be replaced.
  win::UniqueFile holder(::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder);
  RunLog log;
  log.Append("new");
  EXPECT_THROW(log.SaveLog(path), FileError);
  holder.reset();
  EXPECT_EQ(dir.ReadFile(L"0105.log"), "kept\r\n");
}

TEST_F(RunLogFileTest, ASaveAddsTheNewLinesToTheFileAsItStandsNow) {
  test::WriteWholeFile(wide, "a\r\n");
  RunLog log;
  log.LoadLog(path);
  log.Append("mine");
  test::WriteWholeFile(wide, "a\r\nother run\n");  // written meanwhile by another run
  log.SaveLog(path);
  EXPECT_EQ(dir.ReadFile(L"0105.log"), "a\r\nother run\r\nmine\r\n");
  EXPECT_EQ(log.Text(), dir.ReadFile(L"0105.log"));
  EXPECT_EQ(log.Unsaved(), "");
  log.Append("next");
  ASSERT_TRUE(::CreateDirectoryW((dir.Path() + L"0106.log").c_str(), nullptr));
  EXPECT_THROW(log.SaveLog(dir.PathA() + "0106.log"), FileError);
  EXPECT_EQ(log.Unsaved(), "next\r\n") << "a failed save keeps the lines for the next";
}

}  // namespace
}  // namespace yx::log
