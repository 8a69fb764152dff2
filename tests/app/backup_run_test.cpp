#include <gtest/gtest.h>

#include "support/form_fixture.h"
#include "support/unix_links.h"

namespace yx::test {
namespace {

constexpr char kDone[] = "\tバックアップ正常終了\r\n";
constexpr char kFailed[] = "\tバックアップの作成に失敗しました\r\n";

class BackupRunTest : public FormTest {
 protected:
  const DateTime when = EncodeDateTime(2001, 5, 23, 9, 5);

  void SetUp() override { SetNow(when); }

  // Starts unattended with a destination and the given source rows.
  void StartWith(const std::vector<std::string>& sources,
                 std::vector<std::string> args = {"/AUTO"}) {
    Start(std::move(args));
    dir.MakeFolder(L"dest");
    dest = dir.PathA() + "dest";
    form_->EditTo.SetText(dest);
    for (size_t row = 0; row < sources.size(); ++row)
      form_->EditFrom.SetCell(static_cast<int>(row), sources[row]);
  }
  std::string Run() {
    form_->BtnExecClick(nullptr);
    return form_->RunLog().Text();
  }
  std::string SourceTree(const std::wstring& name) {
    dir.WriteFile(L"src\\" + name + L"\\a.txt", "alpha");
    dir.WriteFile(L"src\\" + name + L"\\sub\\b.txt", std::string(3000, 'b'));
    return win::FromWide(dir.Path() + L"src\\" + name);
  }
  std::string Log(std::string_view lines) {
    return "START=01/05/23 09:05:00\r\n" + std::string(lines) + "\t処理時間=00:00:00\r\n" +
           "END=01/05/23 09:05:00\r\n";
  }
  std::string dest;
};

TEST_F(BackupRunTest, WithoutSourcesTheTargetFolderIsMadeAndLeftEmpty) {
  StartWith({});
  EXPECT_EQ(Run(), Log(kDone));
  EXPECT_TRUE(dir.Exists(L"dest\\0105\\23\\0905\\"));
  EXPECT_EQ(dir.ReadFile(L"log\\0105.log"), form_->RunLog().Text());
  EXPECT_NE(Ini().find("TO=" + dest + "\r\n"), std::string::npos) << "the run saves the settings";
}

TEST_F(BackupRunTest, EachSourceIsCopiedUnderItsLastFolderName) {
  const std::string work = SourceTree(L"Work");
  const std::string mail = SourceTree(L"Mail") + "\\";  // with and without a final backslash
  StartWith({work, "", mail});
  form_->EditTo.SetText(dest + "\\");
  EXPECT_EQ(Run(), Log(kDone));
  EXPECT_EQ(dir.ReadFile(L"dest\\0105\\23\\0905\\Work\\a.txt"), "alpha");
  EXPECT_EQ(dir.ReadFile(L"dest\\0105\\23\\0905\\Mail\\sub\\b.txt"), std::string(3000, 'b'));
  EXPECT_EQ(progress_->FileTotal, 4);
  EXPECT_FALSE(::IsWindowVisible(progress_->Handle()));
}

TEST_F(BackupRunTest, FolderNamesEndingInADoubleByteBackslashCopy) {
  // 表 and ソ both end in the byte 0x5C.
  const std::string table = SourceTree(L"予定表");
  const std::string so = SourceTree(L"ソ");
  StartWith({table, so});
  EXPECT_EQ(Run(), Log(kDone));
  EXPECT_EQ(dir.ReadFile(L"dest\\0105\\23\\0905\\予定表\\a.txt"), "alpha");
  EXPECT_EQ(dir.ReadFile(L"dest\\0105\\23\\0905\\ソ\\a.txt"), "alpha");
}

TEST_F(BackupRunTest, ASecondRunInTheSameMinuteFailsAtItsFirstSourceAfterItsSweep) {
  StartWith({SourceTree(L"Work")});
  form_->ChkKill.SetChecked(true);
  EXPECT_EQ(Run(), Log(kDone));
  dir.MakeFolder(L"dest\\0003\\01\\1200");
  const std::string first = form_->RunLog().Text();
  EXPECT_EQ(Run(), first + Log("\t" + dest + "\\0003 を削除しました\r\n" + kFailed));
  EXPECT_FALSE(dir.Exists(L"dest\\0003"));
}

TEST_F(BackupRunTest, ADestinationInsideASourceIsRefusedBeforeTheSweep) {
  dir.WriteFile(L"Data\\a.txt", "a");
  dir.WriteFile(L"Data\\Backup\\0003\\01\\1200\\old.txt", "old");
  Start({"/AUTO"});
  form_->ChkKill.SetChecked(true);
  form_->EditTo.SetText(dir.PathA() + "Data\\Backup");
  form_->EditFrom.SetCell(0, dir.PathA() + "Data");
  EXPECT_EQ(Run(), "START=01/05/23 09:05:00\r\n\tPATH=" + dir.PathA() +
                       "Dataバックアップ先がこのバックアップ元のフォルダの中にあります\r\n"
                       "\t異常終了しました。\r\nEND=01/05/23 09:05:00\r\n");
  EXPECT_EQ(dir.ReadFile(L"Data\\Backup\\0003\\01\\1200\\old.txt"), "old");
  EXPECT_FALSE(dir.Exists(L"Data\\Backup\\0105"));
  EXPECT_EQ(form_->ExitStatus(), app::TForm2::kRunFailed);
}

TEST_F(BackupRunTest, PathsWithDotsAndDoubledBackslashesAreMadeFullBeforeUse) {
  const std::string work = SourceTree(L"Work");
  dir.MakeFolder(L"src\\Mail");
  dir.WriteFile(L"src\\Mail\\m.txt", "m");
  StartWith({dir.PathA() + "src\\.\\Work", dir.PathA() + "src\\Work\\..\\Mail\\"});
  form_->EditTo.SetText(dest + "\\\\");
  EXPECT_EQ(Run(), Log(kDone));
  EXPECT_EQ(dir.ReadFile(L"dest\\0105\\23\\0905\\Work\\a.txt"), "alpha");
  EXPECT_EQ(dir.ReadFile(L"dest\\0105\\23\\0905\\Mail\\m.txt"), "m");
  EXPECT_EQ(form_->ExitStatus(), 0);
}

TEST_F(BackupRunTest, TwoSourcesWithTheSameLastNameFailAtTheSecond) {
  const std::string a = SourceTree(L"Work");
  dir.WriteFile(L"other\\Work\\c.txt", "c");
  StartWith({a, dir.PathA() + "other\\Work"});
  EXPECT_EQ(Run(), Log(kFailed));
  EXPECT_EQ(dir.ReadFile(L"dest\\0105\\23\\0905\\Work\\a.txt"), "alpha");
  EXPECT_FALSE(dir.Exists(L"dest\\0105\\23\\0905\\Work\\c.txt"));
}

TEST_F(BackupRunTest, ADriveRootFailsACopyRun) {
  dir.WriteFile(L"drive\\a.txt", "a");
  UnixLinks links;
  const std::wstring drive = links.MakeDrive(dir.Path() + L"drive");
  ASSERT_FALSE(drive.empty());
  StartWith({win::FromWide(drive) + "\\"});
  EXPECT_EQ(Run(), Log(kFailed));
  EXPECT_EQ(progress_->FileTotal, 1) << "the counting pass ran before the copy found no name";
  EXPECT_TRUE(dir.Exists(L"dest\\0105\\23\\0905\\"));
}

TEST_F(BackupRunTest, ArchiveModeWithoutTheLibraryIsRefusedBeforeAnythingIsDone) {
  StartWith({SourceTree(L"Work")});
  form_->ChkLha.SetChecked(true);
  ASSERT_FALSE(form_->ArchiverPresent);
  EXPECT_EQ(
      Run(),
      "START=01/05/23 09:05:00\r\n\tUnlha32.dll が見つかりません。\r\n\t異常終了しました。\r\n"
      "END=01/05/23 09:05:00\r\n");
  EXPECT_FALSE(IniExists()) << "no settings are saved";
  EXPECT_FALSE(dir.Exists(L"dest\\0105"));
  EXPECT_TRUE(dir.Exists(L"log\\0105.log"));
}

TEST_F(BackupRunTest, AFailingCheckIsLoggedWhenUnattended) {
  StartWith({dir.PathA() + "missing"});
  EXPECT_EQ(Run(), "START=01/05/23 09:05:00\r\n\tPATH=" + dir.PathA() +
                       "missingバックアップ元のフォルダが存在しません\r\n\t異常終了しました。\r\n"
                       "END=01/05/23 09:05:00\r\n");
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_TRUE(form_->Page.Enabled());
}

TEST_F(BackupRunTest, TheConflictWarningAndTheSweepLinesComeBeforeTheOutcome) {
  StartWith({});
  form_->ChkDel.SetChecked(true);
  form_->ChkKill.SetChecked(true);
  form_->SpinKill.SetValue(10);
  dir.MakeFolder(L"dest\\0104\\01");
  dir.MakeFolder(L"dest\\0105\\10");
  dir.MakeFolder(L"dest\\0105\\20");
  EXPECT_EQ(Run(), Log("\t警告：「削除対象」が有効にならないような「強制削除」設定になってます\r\n"
                       "\t" +
                       dest +
                       "\\0104 を削除しました\r\n"
                       "\t" +
                       dest + "\\0105\\10 を削除しました\r\n" + kDone));
  EXPECT_TRUE(dir.Exists(L"dest\\0105\\20\\"));
}

TEST_F(BackupRunTest, AMonthLogIsKeptByteForByteWithTheRunAppended) {
  std::string old;
  while (old.size() < (1u << 20)) old += "START=01/05/01 12:00:00\r\n\tバックアップ正常終了\r\n";
  dir.WriteFile(L"log\\0105.log", old);
  StartWith({});
  Run();
  EXPECT_TRUE(dir.ReadFile(L"log\\0105.log") == old + Log(kDone));
}

TEST_F(BackupRunTest, TheRunUsesTheMonthOfItsStartForTheLogFile) {
  StartWith({});
  SetNow(EncodeDateTime(2001, 6, 1, 0, 0, 30));
  Run();
  EXPECT_EQ(form_->LogFile, dir.PathA() + "log\\0106.log");
  EXPECT_TRUE(dir.Exists(L"log\\0106.log"));
  EXPECT_FALSE(dir.Exists(L"log\\0105.log"));
}

TEST_F(BackupRunTest, ElapsedTimeDropsWholeDays) {
  StartWith({});
  // The clock jumps by 25 hours once the run's target folder exists.
  const std::wstring target = dir.Path() + L"dest\\0105\\23\\0905";
  win::SetClockForTesting(
      [this, target] { return dir.Exists(L"dest\\0105\\23\\0905") ? when + 25.0 / 24 : when; });
  const std::string log = Run();
  EXPECT_NE(log.find("\t処理時間=01:00:00\r\nEND=01/05/24 10:05:00\r\n"), std::string::npos) << log;
}

TEST_F(BackupRunTest, AnAbortBeforeTheSweepStopsTheRunAtTheCountingPass) {
  StartWith({SourceTree(L"Work")});
  // Handled at the run's first look at its messages, right after the
  // progress window appears.
  ::PostMessageW(progress_->BtnAbort(), BM_CLICK, 0, 0);
  EXPECT_EQ(Run(), Log("\tバックアップを中断しました\r\n"));
  EXPECT_TRUE(dir.Exists(L"dest\\0105\\23\\0905\\")) << "the target folder stays";
  EXPECT_FALSE(dir.Exists(L"dest\\0105\\23\\0905\\Work"));
}

TEST_F(BackupRunTest, NoSecondRunSaveOrExitStartsInsideARun) {
  StartWith({SourceTree(L"Work")}, {});
  ::PostMessageW(form_->BtnExec.Handle(), BM_CLICK, 0, 0);
  ::PostMessageW(form_->BtnExit.Handle(), BM_CLICK, 0, 0);
  ::PostMessageW(form_->BtnSet.Handle(), BM_CLICK, 0, 0);
  form_->BtnExecClick(&form_->BtnExec);
  const std::string log = form_->RunLog().Text();
  EXPECT_EQ(log.find("START="), log.rfind("START=")) << log;
  EXPECT_TRUE(FormOpen());
  EXPECT_TRUE(form_->BtnExec.Enabled());
  EXPECT_EQ(app_->Title(), "Yorudex") << "a run from the button leaves the title alone";
}

TEST_F(BackupRunTest, AnUnsavableLogGoesToTheFallbackFileWithAFailureStatus) {
  StartWith({});
  dir.MakeFolder(L"log\\0105.log");  // a folder where the file should be
  Run();
  EXPECT_EQ(form_->ExitStatus(), 1);
  const std::string fallback = dir.ReadFile(L"log-error.txt");
  EXPECT_NE(fallback.find("\tファイル " + dir.PathA() + "log\\0105.log を作成できません\r\n"),
            std::string::npos)
      << fallback;
}

TEST_F(BackupRunTest, AMonthLogThatCouldNotBeReadAtStartIsNotErased) {
  const std::wstring log = dir.WriteFile(L"log\\0105.log", "earlier\r\n");
  {
    win::UniqueFile writer(::CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    StartWith({});
  }
  Run();
  const std::string saved = dir.ReadFile(L"log\\0105.log");
  EXPECT_EQ(saved.rfind("earlier\r\n\tファイル ", 0), 0u) << saved;
  EXPECT_NE(saved.find(kDone), std::string::npos);
}

}  // namespace
}  // namespace yx::test
