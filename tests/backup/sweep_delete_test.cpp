// What DeleteTree does with what an expired backup may hold: read-only and
// open files, deep trees, long paths, and links that point out of the backup.
#include <gtest/gtest.h>
#include <windows.h>

#include "sweep_fixture.h"
#include "win/file_system.h"
#include "win/unique_handle.h"

namespace yx::test {
namespace {

TEST_F(SweepTest, DeleteTreeTakesDeepTreesReadOnlyHiddenAndManyFiles) {
  for (int i = 0; i < 300; ++i) File(L"0103\\05\\0905\\Work\\many\\f" + std::to_wstring(i));
  File(L"0103\\05\\0905\\Work\\a\\b\\c\\d\\deep.txt");
  File(L"0103\\05\\0905\\Work\\readonly.txt");
  File(L"0103\\05\\0905\\Work\\hidden.txt");
  ASSERT_TRUE(::SetFileAttributesW((Root() + L"0103\\05\\0905\\Work\\readonly.txt").c_str(),
                                   FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(::SetFileAttributesW((Root() + L"0103\\05\\0905\\Work\\hidden.txt").c_str(),
                                   FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  Forced(30);
  EXPECT_EQ(Sweep(), DeletedAll({L"0103"}));
  EXPECT_FALSE(Exists(L"0103"));
}

TEST_F(SweepTest, AnOpenFileStaysAndTheNextSweepTakesIt) {
  File(L"0103\\05\\0905\\Work\\open.txt");
  File(L"0103\\05\\0905\\Work\\other.txt");
  Forced(30);
  {
    win::UniqueFile open(::CreateFileW((Root() + L"0103\\05\\0905\\Work\\open.txt").c_str(),
                                       GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(open);
    // The line says that the backup is still there, and why.
    EXPECT_EQ(Sweep(), std::vector<std::string>{NotDeleted(L"0103", ERROR_SHARING_VIOLATION)});
    EXPECT_TRUE(Exists(L"0103\\05\\0905\\Work\\open.txt"));
    EXPECT_FALSE(Exists(L"0103\\05\\0905\\Work\\other.txt"));
  }
  EXPECT_EQ(Sweep(), DeletedAll({L"0103"}));
  EXPECT_FALSE(Exists(L"0103"));
}

TEST_F(SweepTest, PathsLongerThanMaxPath) {
  std::wstring deep = L"d";
  while (deep.size() < 300) deep += L"\\" + std::wstring(40, L'x');
  UseRoot(deep);
  ASSERT_GT(Root().size(), static_cast<size_t>(MAX_PATH));
  Days(L"0103", 1, 2);
  Days(L"0104", 22, 24);
  Forced(30);
  EXPECT_EQ(Sweep(), DeletedAll({L"0103", L"0104\\22", L"0104\\23"}));
  EXPECT_FALSE(Exists(L"0103"));
  EXPECT_EQ(DaysLeft(L"0104"), std::vector<int>{24});
}

// Deleting through a link would destroy what lies outside the backup. (Wine
// lists a Linux link to a file as a plain file and deletes its target: no
// program can tell it apart there, so only folder links are tried.)
TEST_F(SweepTest, LinksInsideAnExpiredBackupKeepWhatTheyPointTo) {
  const std::wstring outside = Temp().MakeFolder(L"outside");
  WriteWholeFile(outside + L"keep.txt", "keep");
  const std::wstring empty = Temp().MakeFolder(L"outside_empty");
  File(L"0103\\05\\0905\\Work\\data.txt");
  if (!MakeLink(Root() + L"0103\\05\\0905\\Work\\link", outside.substr(0, outside.size() - 1)) ||
      !MakeLink(Root() + L"0103\\05\\0905\\Work\\empty_link", empty.substr(0, empty.size() - 1))) {
    GTEST_SKIP() << "no symbolic links here";
  }
  const DWORD link_attributes = win::Attributes(Root() + L"0103\\05\\0905\\Work\\link");
  ASSERT_EQ(link_attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
  Forced(30);

  // Wine removes the target of a link to an empty folder, so that link
  // stays, and the line says the backup is not gone.
  const std::vector<std::string> lines = WithoutReasons(Sweep());
  EXPECT_EQ(lines, std::vector<std::string>{DeletedIfGone(L"0103")});
  EXPECT_EQ(ReadWholeFile(outside + L"keep.txt"), "keep");
  EXPECT_TRUE(win::FolderExists(empty));
  EXPECT_FALSE(Exists(L"0103\\05\\0905\\Work\\data.txt"));
}

TEST_F(SweepTest, AMonthOrDayThatIsALinkIsNeverSweptInside) {
  // Would be swept as the cut-off month 0104: day 01 and the cut-off day's archive.
  const std::wstring month = Temp().MakeFolder(L"elsewhere\\month");
  WriteWholeFile(Temp().MakeFolder(L"elsewhere\\month\\01") + L"data.txt", "keep");
  WriteWholeFile(month + L"010423_0905.lzh", "keep");
  const std::wstring old_month = Temp().MakeFolder(L"elsewhere\\old_month");
  WriteWholeFile(Temp().MakeFolder(L"elsewhere\\old_month\\01") + L"data.txt", "keep");
  const std::wstring day = Temp().MakeFolder(L"elsewhere\\day");
  WriteWholeFile(day + L"data.txt", "keep");
  Folder(L"0105");
  if (!MakeLink(Root() + L"0104", month.substr(0, month.size() - 1)) ||
      !MakeLink(Root() + L"0102", old_month.substr(0, old_month.size() - 1)) ||
      !MakeLink(Root() + L"0105\\02", day.substr(0, day.size() - 1))) {
    GTEST_SKIP() << "no symbolic links here";
  }
  Forced(30);                   // 0102 goes whole, 0104 is the cut-off month
  Selective(14, kSundaysKept);  // 0105\02 is a Wednesday up to the cut-off

  // Whole links are logged like the folders they stand for, as they are.
  const std::vector<std::string> lines = WithoutReasons(Sweep());
  EXPECT_EQ(lines, (std::vector<std::string>{DeletedIfGone(L"0102"), DeletedIfGone(L"0105\\02")}));
  EXPECT_EQ(ReadWholeFile(month + L"01\\data.txt"), "keep");
  EXPECT_EQ(ReadWholeFile(month + L"010423_0905.lzh"), "keep");
  EXPECT_EQ(ReadWholeFile(old_month + L"01\\data.txt"), "keep");
  EXPECT_EQ(ReadWholeFile(day + L"data.txt"), "keep");
}

TEST_F(SweepTest, DeleteTreeOfALinkRemovesNothingBehindIt) {
  const std::wstring target = Temp().MakeFolder(L"target");
  WriteWholeFile(target + L"keep.txt", "keep");
  if (!MakeLink(Root() + L"link", target.substr(0, target.size() - 1))) {
    GTEST_SKIP() << "no symbolic links here";
  }
  (void)backup::DeleteTree(Root() + L"link\\", nullptr);
  EXPECT_EQ(ReadWholeFile(target + L"keep.txt"), "keep");
}

}  // namespace
}  // namespace yx::test
