// The binding against libraries it finds or not: none at all, and two
// stand-ins that each lack entry points. Each test loads what it needs.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "backup/unlha32.h"
#include "support/build_paths.h"
#include "support/temp_folder.h"

namespace yx::backup::unlha32 {
namespace {

std::wstring StubFolder(const char* name) {
  std::wstring folder;
  for (const char c : std::string(yx::test::kBinaryDir) + "/tests/backup")
    folder += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return L"Z:" + folder + L"\\" + std::wstring(name, name + std::strlen(name));
}

// Loads UNLHA32 with `folder` added to the search (the test's own folder
// holds no library of that name).
void LoadFrom(const std::wstring& folder) {
  Unload();
  ASSERT_TRUE(::SetDllDirectoryW(folder.c_str()));
  Load();
}

TEST(Unlha32Binding, WithoutTheLibraryEveryCallGivesItsNotLoadedResult) {
  test::TempFolder empty;
  LoadFrom(empty.Path());
  EXPECT_FALSE(LibraryLoaded());
  EXPECT_EQ(UnlhaGetVersion(), 0);
  EXPECT_EQ(UnlhaSetBackGroundMode(FALSE), FALSE);
  EXPECT_EQ(UnlhaSetBackGroundMode(TRUE), FALSE);
  std::string text = "kept";
  EXPECT_EQ(Unlha(nullptr, "a -x1 -r2 \"x.lzh\" \"\" \"C:\\*\"", text, 100), 32792);
  EXPECT_EQ(text, "kept");
  EXPECT_EQ(Unlha(nullptr, "a", text, 0), 32792);
  EXPECT_EQ(text, "kept");
}

TEST(Unlha32Binding, MissingEntryPointsGiveTheirNotLoadedResults) {
  LoadFrom(StubFolder("stub_mode_only"));
  ASSERT_TRUE(LibraryLoaded());
  EXPECT_EQ(UnlhaSetBackGroundMode(FALSE), 2);  // the library's own result, unchanged
  EXPECT_EQ(UnlhaGetVersion(), 0);
  std::string text = "kept";
  EXPECT_EQ(Unlha(nullptr, "fill", text, 10), 32792);
  EXPECT_EQ(text, "kept");

  LoadFrom(StubFolder("stub_no_mode"));
  ASSERT_TRUE(LibraryLoaded());
  EXPECT_EQ(UnlhaGetVersion(), 253);
  EXPECT_EQ(UnlhaSetBackGroundMode(TRUE), FALSE);
  Unload();
  EXPECT_FALSE(LibraryLoaded());
  EXPECT_EQ(UnlhaGetVersion(), 0);
}

TEST(Unlha32Binding, OutputTextFollowsTheBufferRules) {
  LoadFrom(StubFolder("stub_no_mode"));
  ASSERT_TRUE(LibraryLoaded());
  std::string text = "kept";
  // A library that fills the whole buffer without a NUL: the text stops at the size.
  EXPECT_EQ(Unlha(nullptr, "fill", text, 5), 1);
  EXPECT_EQ(text, "xxxxx");
  // Up to the first NUL only.
  EXPECT_EQ(Unlha(nullptr, "text", text, 16), 2);
  EXPECT_EQ(text, "abc");
  // Size 0: the size reaches the library, a valid pointer too, and the text is empty.
  text = "kept";
  EXPECT_EQ(Unlha(nullptr, "size", text, 0), 0);
  EXPECT_EQ(text, "");
  EXPECT_EQ(Unlha(nullptr, "pointer", text, 0), 3);
  EXPECT_EQ(Unlha(nullptr, "size", text, 1234), 1234);
  EXPECT_EQ(Unlha(nullptr, "fill", text, 0), 1);
  EXPECT_EQ(text, "");
}

}  // namespace
}  // namespace yx::backup::unlha32
