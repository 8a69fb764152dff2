#include "backup/backup_names.h"

#include <gtest/gtest.h>

namespace yx::backup {
namespace {

TEST(BackupNames, MonthAndDayFolders) {
  for (std::string_view name : {"0105", "9912", "0001", "0199"}) {
    EXPECT_TRUE(IsMonthFolderName(name)) << name;
  }
  for (std::string_view name : {"0000", "01052", "105", "010a", "backup", " 105", "+105", "",
                                "\x82\x4f\x82\x50\x82\x4f\x82\x54" /* ０１０５ */}) {
    EXPECT_FALSE(IsMonthFolderName(name)) << name;
  }
  for (std::string_view name : {"01", "31", "99"}) EXPECT_TRUE(IsDayFolderName(name)) << name;
  for (std::string_view name : {"00", "1", "001", "a1", " 1", "+1"}) {
    EXPECT_FALSE(IsDayFolderName(name)) << name;
  }
  for (std::string_view name : {"0000", "0905", "2359"})
    EXPECT_TRUE(IsTimeFolderName(name)) << name;
  for (std::string_view name : {"2400", "0960", "905", "09055", "09a5", "+905", ""}) {
    EXPECT_FALSE(IsTimeFolderName(name)) << name;
  }
}

TEST(BackupNames, ArchivesByTheExtensionAfterTheLastDot) {
  for (std::string_view name : {"010509_1200.lzh", "010509_1200.LZH", "x.Lzh", "a.b.lzh", ".lzh",
                                "\x95\x5C.lzh" /* 表.lzh */}) {
    EXPECT_TRUE(IsArchiveFileName(name)) << name;
  }
  for (std::string_view name : {"010509_1200.lzh.bak", "010509_1200.lzhx", "010509_1200lzh",
                                "010509_1200.lz", "010509_1200", "lzh"}) {
    EXPECT_FALSE(IsArchiveFileName(name)) << name;
  }
}

TEST(BackupNames, CodeOrder) {
  EXPECT_TRUE(SortsBefore("0103", "0104"));
  EXPECT_FALSE(SortsBefore("0104", "0104"));
  EXPECT_FALSE(SortsBefore("0105", "0104"));
  EXPECT_FALSE(SortsBefore("9912", "4912"));  // 1999 sorts after every cut-off of 2000-2049
  EXPECT_TRUE(SortsBefore("010", "0104"));    // the beginning of a text sorts first
  EXPECT_FALSE(SortsBefore("01040", "0104"));
  EXPECT_FALSE(SortsBefore("0001", "0000"));
  EXPECT_TRUE(SortsBefore("31", "99"));
  EXPECT_TRUE(SortsBefore("9", "\x95"));  // bytes compare unsigned
}

std::string Joined(const CutOffTexts& t) {
  return t.kill_month + " " + t.kill_day + " " + t.kill_archive_prefix + " | " + t.del_month + " " +
         t.del_day + " " + t.del_archive_prefix;
}

TEST(BackupNames, CutOffTextsFromTheLimitDatesOnly) {
  EXPECT_EQ(Joined(MakeCutOffTexts(true, EncodeDateTime(2001, 4, 23, 9, 5), true,
                                   EncodeDateTime(2001, 5, 9, 23, 59, 59))),
            "0104 23 010423_ | 0105 09 010509_");
  EXPECT_EQ(Joined(MakeCutOffTexts(false, EncodeDateTime(2001, 4, 23), false, -1)),
            "0000 00 000000_ | 0000 00 000000_");
  EXPECT_EQ(Joined(MakeCutOffTexts(true, EncodeDateTime(1999, 12, 31), false, -1)),
            "9912 31 991231_ | 0000 00 000000_");
}

TEST(BackupNames, DateOfSixCharacters) {
  EXPECT_EQ(DateOfName("010523"), EncodeDateTime(2001, 5, 23));
  EXPECT_EQ(WeekdayMondayFirst(*DateOfName("010523")), 2);  // Wednesday
  EXPECT_EQ(DateOfName("991227"), EncodeDateTime(1999, 12, 27));
  EXPECT_EQ(DateOfName("500101"), EncodeDateTime(1950, 1, 1));
  EXPECT_EQ(DateOfName("491231"), EncodeDateTime(2049, 12, 31));
  EXPECT_EQ(DateOfName("000229"), EncodeDateTime(2000, 2, 29));
  for (std::string_view name : {"010431", "010229", "990229", "011301", "010100", "0105 1", "01052",
                                "0105231", "+10523", " 10523", "0a0523", ""}) {
    EXPECT_FALSE(DateOfName(name).has_value()) << name;
  }
}

TEST(BackupNames, SourceSplitBeforeTheLastFolderName) {
  auto split = [](std::string_view source) {
    const auto s = SplitSource(source);
    return s ? s->parent + "|" + s->name : std::string("none");
  };
  EXPECT_EQ(split("C:\\Data\\Work\\"), "C:\\Data\\|Work\\");
  EXPECT_EQ(split("D:\\Mail\\"), "D:\\|Mail\\");
  EXPECT_EQ(split("C:\\x\\"), "C:\\|x\\");
  EXPECT_EQ(split("C:\\"), "none");
  EXPECT_EQ(split("\\\\srv\\share\\"), "\\\\srv\\|share\\");
  // 表 (95 5C) ends in a backslash byte that is no backslash.
  EXPECT_EQ(split("C:\\a\\\x95\x5C\\"), "C:\\a\\|\x95\x5C\\");
  EXPECT_EQ(split("C:\\\x95\x5C\\"), "C:\\|\x95\x5C\\");
  EXPECT_EQ(split("C:\\\x83\x5C\x83\x5C\\"), "C:\\|\x83\x5C\x83\x5C\\");  // ソソ
  EXPECT_EQ(split("ab\\"), "none");
  EXPECT_EQ(split(""), "none");
}

}  // namespace
}  // namespace yx::backup
