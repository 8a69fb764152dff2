#include "lha/core/command_line.h"

#include <gtest/gtest.h>

namespace yx::lha {
namespace {

TEST(CommandLine, TheBackupRunsCommand) {
  ArchiveCommand c;
  ASSERT_EQ(
      ParseCommandLine(R"(a -x1 -r2 "D:\Backup\0105\23\010523_0905.lzh" "C:\Data\" "Work\*")", c),
      CommandError::kNone);
  EXPECT_EQ(c.command, 'a');
  EXPECT_TRUE(c.recurse);
  EXPECT_TRUE(c.folder_entries);
  EXPECT_EQ(c.archive, R"(D:\Backup\0105\23\010523_0905.lzh)");
  EXPECT_EQ(c.base, R"(C:\Data\)");
  EXPECT_EQ(c.names, std::vector<std::string>{R"(Work\*)"});
}

TEST(CommandLine, ExclusionSwitchesKeepTheirPatternsAsWritten) {
  ArchiveCommand c;
  // ソ ends in 5C: the quote after it still closes the pattern.
  ASSERT_EQ(
      ParseCommandLine(
          R"(a -r2 -EX:"My Cache\" -ex:*.TMP -ex:"ソ" /es:1048576 "D:\b.lzh" "C:\Data\" "Work\*")",
          c),
      CommandError::kNone);
  EXPECT_EQ(c.exclusions, (std::vector<std::string>{"My Cache\\", "*.TMP", "ソ"}));
  EXPECT_EQ(c.exclusion_size, 1048576u);
  EXPECT_EQ(c.names, std::vector<std::string>{R"(Work\*)"});
  EXPECT_EQ(ParseCommandLine(R"(a -es:1M x.lzh a)", c), CommandError::kUnknownSwitch);
  EXPECT_EQ(ParseCommandLine(R"(a -ex: x.lzh a)", c), CommandError::kUnknownSwitch);
  EXPECT_EQ(ParseCommandLine(R"(a -ex:"a|b" x.lzh a)", c), CommandError::kUnknownSwitch);
}

TEST(CommandLine, DriveRootHasAnEmptyBase) {
  ArchiveCommand c;
  ASSERT_EQ(ParseCommandLine(R"(a -x1 -r2 "D:\b.lzh" "" "C:\*")", c), CommandError::kNone);
  EXPECT_EQ(c.base, "");
  EXPECT_EQ(c.names, std::vector<std::string>{R"(C:\*)"});
}

TEST(CommandLine, SlashSwitchesBareWordsAndPartialQuotes) {
  ArchiveCommand c;
  ASSERT_EQ(ParseCommandLine("A /X1 /R2 d:\\a.lzh c:\\My\" \"Data\\ Work\\*", c),
            CommandError::kNone);
  EXPECT_EQ(c.archive, "d:\\a.lzh");
  EXPECT_EQ(c.base, "c:\\My Data\\");
  EXPECT_EQ(c.names, std::vector<std::string>{"Work\\*"});
  ASSERT_EQ(ParseCommandLine("a -r0 x.lzh a.txt b.txt", c), CommandError::kNone);
  EXPECT_FALSE(c.recurse);
  EXPECT_EQ(c.base, "");
  EXPECT_EQ(c.names.size(), 2u);
}

TEST(CommandLine, BaseEndingInATrailByteBackslashIsAName) {
  ArchiveCommand c;
  // "C:\表" ends in the byte 5C, but that is the trail byte of 表, not a backslash.
  ASSERT_EQ(ParseCommandLine("a x.lzh \"C:\\\x95\x5C\" \"Work\\*\"", c), CommandError::kNone);
  EXPECT_EQ(c.base, "");
  EXPECT_EQ(c.names.size(), 2u);
  ASSERT_EQ(ParseCommandLine("a x.lzh \"C:\\\x95\x5C\\\" \"\x83\x5C\\*\"", c), CommandError::kNone);
  EXPECT_EQ(c.base, "C:\\\x95\x5C\\");
  EXPECT_EQ(c.names, std::vector<std::string>{"\x83\x5C\\*"});  // ソ\*
}

TEST(CommandLine, Failures) {
  ArchiveCommand c;
  EXPECT_EQ(ParseCommandLine("", c), CommandError::kUnknownCommand);
  EXPECT_EQ(ParseCommandLine("z -r2 a.lzh b\\ c", c), CommandError::kUnknownCommand);
  EXPECT_EQ(ParseCommandLine("x a.lzh", c), CommandError::kNone);  // reading: all, here
  EXPECT_EQ(c.command, 'x');
  EXPECT_EQ(ParseCommandLine("add a.lzh b\\ c", c), CommandError::kUnknownCommand);
  EXPECT_EQ(ParseCommandLine("a -q a.lzh b\\ c", c), CommandError::kUnknownSwitch);
  EXPECT_EQ(ParseCommandLine("a -x0 a.lzh b\\ c", c), CommandError::kUnknownSwitch);
  EXPECT_EQ(ParseCommandLine("a \"a.lzh b\\ c", c), CommandError::kUnbalancedQuote);
  EXPECT_EQ(ParseCommandLine("a -r2", c), CommandError::kMissingArchive);
  EXPECT_EQ(ParseCommandLine("a \"\" b\\ c", c), CommandError::kMissingArchive);
  EXPECT_EQ(ParseCommandLine("a a.lzh", c), CommandError::kMissingNames);
  EXPECT_EQ(ParseCommandLine("a a.lzh \"\" \"\"", c), CommandError::kMissingNames);
}

}  // namespace
}  // namespace yx::lha
