#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "win/failure.h"
#include "win/file_system.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace yx::win {
namespace {

bool IsOpen(HANDLE h) {
  DWORD flags = 0;
  return ::GetHandleInformation(h, &flags) != FALSE;
}

TEST(UniqueHandle, ClosesOnceAndMovesOwnership) {
  HANDLE raw = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  {
    UniqueKernelHandle first(raw);
    UniqueKernelHandle second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.get(), raw);
    UniqueKernelHandle third;
    third = std::move(second);
    EXPECT_TRUE(IsOpen(raw));
    EXPECT_EQ(third.get(), raw);
  }
  EXPECT_FALSE(IsOpen(raw));
  HANDLE kept = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  {
    UniqueKernelHandle owner(kept);
    (void)owner.release();
  }
  EXPECT_TRUE(IsOpen(kept));
  ::CloseHandle(kept);
}

TEST(Text, ConvertsCp932BothWaysAndReportsWhatItCannotHold) {
  EXPECT_EQ(ToWide("\x95\x5C"), L"表");
  bool lossy = true;
  EXPECT_EQ(FromWide(L"予定表", kCodePage932, &lossy), "\x97\x5C\x92\xE8\x95\x5C");
  EXPECT_FALSE(lossy);
  // (Named: gtest spells the expression out in narrow text, which has no é.)
  const std::wstring cafe = L"caf\u00E9";
  EXPECT_EQ(FromWide(cafe, kCodePage932, &lossy), "caf?");
  EXPECT_TRUE(lossy) << "best fit would have named another file";
}

TEST(LongPaths, PrefixOnlyAbsolutePaths) {
  EXPECT_EQ(ToLongPath(L"C:\\a"), L"\\\\?\\C:\\a");
  EXPECT_EQ(ToLongPath(L"\\\\srv\\share\\x"), L"\\\\?\\UNC\\srv\\share\\x");
  EXPECT_EQ(ToLongPath(L"\\\\?\\C:\\a"), L"\\\\?\\C:\\a");
  EXPECT_EQ(ToLongPath(L"rel\\a"), L"rel\\a");
}

TEST(LongPaths, DotsAndDoubledBackslashesAreResolvedAndNamesKeptAsWritten) {
  EXPECT_EQ(FullPath(L"C:\\a\\.\\b\\..\\c\\\\"), L"C:\\a\\c\\");
  EXPECT_EQ(FullPath(L"C:\\..\\x"), L"C:\\x");
  EXPECT_EQ(FullPath(L"\\\\srv\\share\\x\\..\\y"), L"\\\\srv\\share\\y");
  // A blank or a dot at the end is part of the name.
  EXPECT_EQ(FullPath(L"C:\\Work \\Data."), L"C:\\Work \\Data.");
  EXPECT_EQ(FullPath(L"\\\\?\\C:\\a\\..\\b"), L"\\\\?\\C:\\a\\..\\b");
}

TEST(Folders, ATreeIsMadeWithItsParentsAndASingleFolderNeedsItsParent) {
  test::TempFolder dir;
  EXPECT_TRUE(CreateFolderTree(dir.Path() + L"a\\b\\c\\"));
  EXPECT_TRUE(CreateFolderTree(dir.Path() + L"a\\b\\c")) << "an existing folder counts as made";
  EXPECT_TRUE(FolderExists(dir.Path() + L"a\\b\\c"));
  EXPECT_FALSE(CreateOneFolder(dir.Path() + L"a")) << "it exists already";
  EXPECT_FALSE(CreateOneFolder(dir.Path() + L"x\\y")) << "its parent is missing";
  dir.WriteFile(L"f", "x");
  EXPECT_FALSE(FolderExists(dir.Path() + L"f"));
  EXPECT_FALSE(CreateFolderTree(dir.Path() + L"f\\g"));
  EXPECT_FALSE(FolderExists(std::string_view("C:\\\x81")));  // a lone lead byte names nothing
  EXPECT_FALSE(FolderExists(std::string_view("")));
}

// The error is the failed call's, whatever the path's expression calls after
// it: here a lookup that fails with an error of its own.
TEST(Failure, KeepsTheErrorOfTheCallNotOfThePathsExpression) {
  ::SetLastError(ERROR_SHARING_VIOLATION);
  const Failure failure = Failure::Last("ReadFile").At([] {
    (void)::GetFileAttributesW(L"C:\\no such folder\\x");
    return std::wstring(L"C:\\held.txt");
  }());
  EXPECT_EQ(failure.error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(failure.Text().rfind("C:\\held.txt: エラー 32", 0), 0u) << failure.Text();
}

}  // namespace
}  // namespace yx::win
