// Archive runs against a stand-in library that writes down the commands it
// is given, so that their text can be checked byte for byte, and against the
// real one where the window follows and stops the archiver.
#include <gtest/gtest.h>

#include "backup/unlha32.h"
#include "support/form_fixture.h"
#include "support/program_run.h"
#include "support/unix_links.h"
#include "win/pause_point.h"

namespace yx::test {
namespace {

class ArchiveRunTest : public FormTest {
 protected:
  void SetUp() override {
    SetNow(EncodeDateTime(2001, 5, 23, 9, 5));
    ::SetEnvironmentVariableW(L"YX_RECORDER_FILE", (dir.Path() + L"calls.txt").c_str());
    ::SetDllDirectoryW(BuildPath(L"tests\\app\\recorder").c_str());
    backup::unlha32::Load();
    ASSERT_TRUE(backup::unlha32::LibraryLoaded());
  }
  void TearDown() override {
    FormTest::TearDown();
    backup::unlha32::Unload();
    ::SetDllDirectoryW(nullptr);
    ::SetEnvironmentVariableW(L"YX_RECORDER_FILE", nullptr);
    ::SetEnvironmentVariableW(L"YX_RECORDER_RESULT", nullptr);
  }
  void StartWith(const std::vector<std::string>& sources) {
    Start({"/AUTO"});
    dir.MakeFolder(L"dest");
    form_->EditTo.SetText(dir.PathA() + "dest");
    form_->ChkLha.SetChecked(true);
    for (size_t row = 0; row < sources.size(); ++row)
      form_->EditFrom.SetCell(static_cast<int>(row), sources[row]);
  }
  std::string Calls() { return dir.Exists(L"calls.txt") ? dir.ReadFile(L"calls.txt") : ""; }
  std::string Head() { return "a -x1 -r2 \"" + dir.PathA() + "dest\\0105\\23\\010523_0905.lzh\" "; }
};

TEST_F(ArchiveRunTest, OneCommandPerSourceIntoOneArchive) {
  dir.WriteFile(L"Data\\Work\\a.txt", "a");
  dir.WriteFile(L"Mail\\m.txt", "m");
  StartWith({dir.PathA() + "Data\\Work", "", dir.PathA() + "Mail\\"});
  EXPECT_EQ(form_->LblLhaVer.Caption(), "ver 2.53");
  Exec();
  EXPECT_EQ(Calls(),
            "mode 0\n"
            "no owner|" +
                Head() + "\"" + dir.PathA() +
                "Data\\\" \"Work\\*\"|262144\n"
                "no owner|" +
                Head() + "\"" + dir.PathA() + "\" \"Mail\\*\"|262144\n");
  EXPECT_NE(form_->RunLog().Text().find("\tバックアップ正常終了\r\n"), std::string::npos);
  EXPECT_TRUE(dir.Exists(L"dest\\0105\\23\\"));
  EXPECT_FALSE(dir.Exists(L"dest\\0105\\23\\0905")) << "an archive run makes no time folder";
  EXPECT_EQ(progress_->LblFileAll().Caption(), "2") << "counted for its progress, as a copy run";
  EXPECT_FALSE(::IsWindowVisible(progress_->Handle()));
}

TEST_F(ArchiveRunTest, NamesEndingInADoubleByteBackslashAreSplitOnWholeCharacters) {
  dir.WriteFile(L"予定表\\a.txt", "a");
  StartWith({dir.PathA() + "予定表"});
  Exec();
  EXPECT_EQ(Calls(),
            "mode 0\nno owner|" + Head() + "\"" + dir.PathA() + "\" \"予定表\\*\"|262144\n");
}

TEST_F(ArchiveRunTest, ADriveRootGivesAnEmptyBase) {
  dir.WriteFile(L"drive\\a.txt", "a");
  UnixLinks links;
  const std::wstring drive = links.MakeDrive(dir.Path() + L"drive");
  ASSERT_FALSE(drive.empty());
  const std::string root = win::FromWide(drive) + "\\";
  StartWith({root});
  Exec();
  EXPECT_EQ(Calls(), "mode 0\nno owner|" + Head() + "\"\" \"" + root + "*\"|262144\n");
}

TEST_F(ArchiveRunTest, AFailingCommandStopsTheRunAtThatSource) {
  dir.WriteFile(L"One\\a.txt", "a");
  dir.WriteFile(L"Two\\b.txt", "b");
  ::SetEnvironmentVariableW(L"YX_RECORDER_RESULT", L"1");
  StartWith({dir.PathA() + "One", dir.PathA() + "Two"});
  Exec();
  const std::string calls = Calls();
  EXPECT_NE(calls.find("One\\*"), std::string::npos);
  EXPECT_EQ(calls.find("Two\\*"), std::string::npos) << calls;
  EXPECT_NE(form_->RunLog().Text().find("\tバックアップの作成に失敗しました\r\n"),
            std::string::npos);
}

// The archiver this project ships, as the program loads it.
class RealArchiverRun : public FormTest {
 protected:
  void SetUp() override {
    SetNow(EncodeDateTime(2001, 5, 23, 9, 5));
    ::SetDllDirectoryW(BuildPath(L"dist").c_str());
    backup::unlha32::Load();
    ASSERT_TRUE(backup::unlha32::LibraryLoaded());
  }
  void TearDown() override {
    win::SetPausePointForTesting({});
    FormTest::TearDown();
    backup::unlha32::Unload();
    ::SetDllDirectoryW(nullptr);
  }
};

TEST_F(RealArchiverRun, AnAbortInTheWindowStopsTheArchiveAtTheNextFileAndLeavesNone) {
  for (int i = 0; i < 20; ++i)
    dir.WriteFile(L"src\\Work\\f" + std::to_wstring(i) + L".txt", std::string(4000, 'a'));
  Start();
  dir.MakeFolder(L"dest");
  form_->EditTo.SetText(dir.PathA() + "dest");
  form_->ChkLha.SetChecked(true);
  form_->EditFrom.SetCell(0, dir.PathA() + "src\\Work");
  // The user presses 中断 as the window shows the fifth file taken.
  int taken = 0;
  win::SetPausePointForTesting([&](std::string_view name) {
    if (name == "archive-file" && ++taken == 5)
      ::SendMessageW(progress_->BtnAbort(), BM_CLICK, 0, 0);
  });
  Exec();
  EXPECT_EQ(taken, 5) << "no file is taken after the abort";
  EXPECT_EQ(progress_->LblFileAll().Caption(), "20");
  EXPECT_EQ(progress_->Gauge().Progress(), 5);
  EXPECT_NE(form_->RunLog().Text().find("\tバックアップを中断しました\r\n"), std::string::npos)
      << form_->RunLog().Text();
  // Neither the archive nor a part of it is left in the day's folder.
  WIN32_FIND_DATAW found;
  const HANDLE find = ::FindFirstFileW((dir.Path() + L"dest\\0105\\23\\*.*").c_str(), &found);
  std::vector<std::wstring> left;
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (found.cFileName[0] != L'.') left.emplace_back(found.cFileName);
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
  }
  EXPECT_TRUE(left.empty()) << win::FromWide(left.front());
}

}  // namespace
}  // namespace yx::test
