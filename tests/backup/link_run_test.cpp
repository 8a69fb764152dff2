// Copy runs that link unchanged files to the previous backup: the
// window-free run in this process on real folders, with the link call
// replaced where a volume must refuse.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>

#include "support/file_index.h"
#include "support/run_fixture.h"
#include "support/unix_links.h"
#include "win/file_system.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace yx::test {
namespace {

constexpr wchar_t kFirst[] = L"dest\\0105\\22\\0905\\Work\\";
constexpr wchar_t kSecond[] = L"dest\\0105\\23\\0905\\Work\\";
constexpr wchar_t kThird[] = L"dest\\0105\\24\\0905\\Work\\";

std::string Tally(std::string_view line) { return std::string("\t").append(line).append("\r\n"); }

class LinkRun : public RunTest {
 protected:
  LinkRun() {
    settings.link_use = true;
    dir.WriteFile(L"src\\Work\\a.txt", "alpha");
    dir.WriteFile(L"src\\Work\\sub\\b.txt", std::string(3000, 'b'));
    dir.WriteFile(L"src\\Work\\sub\\c.txt", "gamma");
    dir.WriteFile(L"src\\Work\\d.txt", "delta");
  }
  // Whether `name` is one file in the backups below `earlier` and `later`.
  bool Shared(const std::wstring& earlier, const std::wstring& later,
              const std::wstring& name) const {
    return SameFile(dir.Path() + earlier + name, dir.Path() + later + name);
  }
  // A run on 2001-05-`day` at 09:05; the lines it added to the log.
  std::string RunOn(int day) {
    const size_t before = log.Text().size();
    now = EncodeDateTime(2001, 5, day, 9, 5);
    Run();
    return log.Text().substr(before);
  }
  void SetWriteTime(const std::wstring& relative, uint32_t low) {
    win::UniqueFile file(::CreateFileW((dir.Path() + relative).c_str(), FILE_WRITE_ATTRIBUTES, 0,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
    const FILETIME time{low, 0x01c00000};
    ASSERT_TRUE(file && ::SetFileTime(file.get(), nullptr, nullptr, &time));
  }
};

TEST_F(LinkRun, AnUnchangedTreeIsLinkedAndTheSweepOfTheFirstLeavesTheSecondWhole) {
  ASSERT_TRUE(
      ::SetFileAttributesW((dir.Path() + L"src\\Work\\d.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_NE(RunOn(22).find(Tally("0 件をリンク、4 件 (2.9 KB) をコピーしました")),
            std::string::npos);
  EXPECT_NE(
      RunOn(23).find(Tally("4 件をリンク、0 件 (0 B) をコピーしました") + "\tバックアップ正常終了"),
      std::string::npos);
  for (const wchar_t* name : {L"a.txt", L"sub\\b.txt", L"sub\\c.txt", L"d.txt"})
    EXPECT_TRUE(Shared(kFirst, kSecond, name)) << win::FromWide(name);

  // A month later the forced rule expires both days; the second stays as
  // the newest backup, its read-only file whole and read-only.
  settings.kill_use = true;
  now = EncodeDateTime(2001, 6, 24, 9, 5);
  Run();
  EXPECT_FALSE(dir.Exists(L"dest\\0105\\22"));
  EXPECT_EQ(dir.ReadFile(std::wstring(kSecond) + L"d.txt"), "delta");
  EXPECT_EQ(dir.ReadFile(std::wstring(kSecond) + L"sub\\b.txt"), std::string(3000, 'b'));
  EXPECT_EQ(win::Attributes(dir.Path() + kSecond + L"d.txt") & FILE_ATTRIBUTE_READONLY,
            DWORD{FILE_ATTRIBUTE_READONLY});
  const auto kept = IndexOf(dir.Path() + kSecond + L"d.txt");
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->names, 2u) << "the second backup and the third share it";
  EXPECT_TRUE(Shared(kSecond, L"dest\\0106\\24\\0905\\Work\\", L"d.txt"));
}

TEST_F(LinkRun, OnlyFilesWhoseSizeTimeAndAttributesMatchAPlainEarlierFileAreLinked) {
  dir.WriteFile(L"src\\Work\\e.txt", "epsilon");
  dir.WriteFile(L"src\\Work\\linked\\f.txt", "phi");
  ASSERT_NE(RunOn(22).find("\tバックアップ正常終了"), std::string::npos);
  dir.WriteFile(L"src\\Work\\a.txt", "alpha2");  // size
  SetWriteTime(L"src\\Work\\d.txt", 0x1234);     // time only
  ASSERT_TRUE(::SetFileAttributesW((dir.Path() + L"src\\Work\\sub\\c.txt").c_str(),
                                   FILE_ATTRIBUTE_HIDDEN));  // attributes
  ASSERT_TRUE(::DeleteFileW((dir.Path() + L"src\\Work\\sub\\b.txt").c_str()));
  dir.WriteFile(L"src\\Work\\sub\\b.txt\\inner.txt", "now a folder");
  // In the earlier backup: a folder where e.txt was, and a link to the
  // source's own folder where "linked" was.
  ASSERT_TRUE(::DeleteFileW((dir.Path() + kFirst + L"e.txt").c_str()));
  dir.WriteFile(std::wstring(kFirst) + L"e.txt\\x", "x");
  test::RemoveTree(dir.Path() + kFirst + L"linked");
  test::UnixLinks links;
  ASSERT_TRUE(links.Make(UnixPath(dir.Path() + kFirst + L"linked"),
                         UnixPath(dir.Path() + L"src\\Work\\linked"),
                         dir.Path() + kFirst + L"linked"));

  EXPECT_NE(RunOn(23).find(Tally("0 件をリンク、6 件 (38 B) をコピーしました")), std::string::npos);
  for (const wchar_t* name : {L"a.txt", L"d.txt", L"sub\\c.txt", L"e.txt"})
    EXPECT_FALSE(Shared(kFirst, kSecond, name)) << win::FromWide(name);
  EXPECT_FALSE(Shared(L"src\\Work\\", kSecond, L"linked\\f.txt"));
  EXPECT_EQ(dir.ReadFile(std::wstring(kSecond) + L"a.txt"), "alpha2");
  EXPECT_EQ(dir.ReadFile(std::wstring(kSecond) + L"sub\\b.txt\\inner.txt"), "now a folder");
  EXPECT_EQ(dir.ReadFile(std::wstring(kSecond) + L"linked\\f.txt"), "phi");
}

TEST_F(LinkRun, AFileLinkInTheEarlierBackupIsNeverLinkedTo) {
  ASSERT_NE(RunOn(22).find("\tバックアップ正常終了"), std::string::npos);
  // The earlier backup's copy made a link to the live source file: same
  // size, time and attributes, so the catalog vouches for it.
  ASSERT_TRUE(::DeleteFileW((dir.Path() + kFirst + L"a.txt").c_str()));
  test::UnixLinks links;
  ASSERT_TRUE(links.Make(UnixPath(dir.Path() + kFirst + L"a.txt"),
                         UnixPath(dir.Path() + L"src\\Work\\a.txt"),
                         dir.Path() + kFirst + L"a.txt"));
  EXPECT_NE(RunOn(23).find(Tally("3 件をリンク、1 件 (5 B) をコピーしました")), std::string::npos)
      << log.Text();
  EXPECT_FALSE(SameFile(dir.Path() + kSecond + L"a.txt", dir.Path() + L"src\\Work\\a.txt"));
  // The backup keeps its bytes when the source changes in place.
  {
    win::UniqueFile file(::CreateFileW((dir.Path() + L"src\\Work\\a.txt").c_str(), GENERIC_WRITE, 0,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
    DWORD put = 0;
    ASSERT_TRUE(file && ::WriteFile(file.get(), "ALPHA", 5, &put, nullptr));
  }
  EXPECT_EQ(dir.ReadFile(std::wstring(kSecond) + L"a.txt"), "alpha");
}

TEST_F(LinkRun, ARefusedLinkIsCopiedAndAVolumeWithoutLinksIsAskedOnce) {
  std::atomic<int> asked = 0;
  // The link limit for a.txt alone: copied, and the next backup links to
  // that new copy.
  request.make_link = [&](const std::wstring& link, const std::wstring& existing) -> DWORD {
    ++asked;
    if (link.ends_with(L"\\0905\\Work\\a.txt") && existing.find(L"\\22\\") != std::wstring::npos)
      return ERROR_TOO_MANY_LINKS;
    if (::CreateHardLinkW(link.c_str(), existing.c_str(), nullptr)) return 0;
    return ::GetLastError();
  };
  ASSERT_NE(RunOn(22).find("\tバックアップ正常終了"), std::string::npos);
  EXPECT_NE(RunOn(23).find(Tally("3 件をリンク、1 件 (5 B) をコピーしました")), std::string::npos);
  EXPECT_FALSE(Shared(kFirst, kSecond, L"a.txt"));
  EXPECT_EQ(dir.ReadFile(std::wstring(kSecond) + L"a.txt"), "alpha");
  EXPECT_NE(RunOn(24).find(Tally("4 件をリンク、0 件 (0 B) をコピーしました")), std::string::npos);
  EXPECT_TRUE(Shared(kSecond, kThird, L"a.txt"));

  // A volume that has no links, with two sources: asked once in the run.
  asked = 0;
  request.make_link = [&](const std::wstring&, const std::wstring&) -> DWORD {
    ++asked;
    return ERROR_INVALID_FUNCTION;
  };
  dir.WriteFile(L"src\\Mail\\m.txt", "mail");
  settings.sources[1] = dir.PathA() + "src\\Mail";
  EXPECT_NE(RunOn(25).find(Tally("0 件をリンク、5 件 (2.9 KB) をコピーしました") +
                           "\tバックアップ正常終了"),
            std::string::npos);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(dir.ReadFile(L"dest\\0105\\25\\0905\\Work\\sub\\b.txt"), std::string(3000, 'b'));
}

TEST_F(LinkRun, SwitchedOffEveryFileIsCopiedAndTheLogSaysNothingOfLinks) {
  settings.link_use = false;
  ASSERT_NE(RunOn(22).find("\tバックアップ正常終了"), std::string::npos);
  const std::string second = RunOn(23);
  EXPECT_EQ(second.find("件をリンク"), std::string::npos) << second;
  for (const wchar_t* name : {L"a.txt", L"sub\\b.txt", L"sub\\c.txt", L"d.txt"})
    EXPECT_FALSE(Shared(kFirst, kSecond, name)) << win::FromWide(name);
}

}  // namespace
}  // namespace yx::test
