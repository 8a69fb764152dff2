#include <gtest/gtest.h>

#include "support/form_fixture.h"
#include "win/fault_line.h"
#include "win/text.h"

namespace yx::test {
namespace {

using StartupTest = FormTest;

TEST_F(StartupTest, WithoutASettingsFileTheWindowShowsTheDefaults) {
  SetNow(EncodeDateTime(2001, 5, 23, 12, 0, 7));
  app::TForm2& f = Start();
  for (size_t day = 0; day < 7; ++day) {
    EXPECT_TRUE(f.ListWeek.Checked(day));
    EXPECT_TRUE(f.ListDel.Checked(day));
  }
  EXPECT_TRUE(f.ChkTime1.Checked());
  EXPECT_FALSE(f.ChkTime2.Checked());
  EXPECT_EQ(f.GridTime.Cell(0), "1200");
  for (int row = 1; row < 10; ++row) EXPECT_EQ(f.GridTime.Cell(row), "");
  EXPECT_EQ(f.SpinSatH.Value(), 0);
  EXPECT_EQ(f.SpinSatM.Value(), 0);
  EXPECT_EQ(f.SpinSpan.Value(), 1);
  EXPECT_FALSE(f.ChkLha.Checked());
  EXPECT_FALSE(f.ChkDel.Checked());
  EXPECT_EQ(f.SpinDel.Value(), 14);
  EXPECT_TRUE(f.RdoDelD.Checked());
  EXPECT_EQ(f.SpinKill.Value(), 30);
  EXPECT_TRUE(f.RdoKillD.Checked());
  EXPECT_EQ(f.EditTo.Text(), "");
  EXPECT_EQ(f.Page.ActivePage(), app::SheetLOG);
  EXPECT_FALSE(f.Modified);
  EXPECT_FALSE(session_->Unattended());
  EXPECT_EQ(f.LblTime.Caption(), "05/23 12:00:07");
  EXPECT_EQ(f.LblLhaVer.Caption(), "見つかりません ");
  EXPECT_EQ(f.AppDir, dir.PathA());
  EXPECT_EQ(f.LogDir, dir.PathA() + "log\\");
  EXPECT_EQ(session_->MonthLogFile(win::Now()), dir.PathA() + "log\\0105.log");
}

TEST_F(StartupTest, StartUpCreatesTheLogFolderButWritesNoFile) {
  Start();
  EXPECT_TRUE(dir.Exists(L"log\\"));
  EXPECT_FALSE(IniExists());
  EXPECT_EQ(form_->RunLog().Text(), "");
  EXPECT_TRUE(::IsWindowVisible(form_->Handle()));
}

TEST(UnattendedCommandLine, IsOnlyTheExactSingleArgument) {
  const std::vector<std::pair<std::vector<std::string>, bool>> cases = {
      {{"/AUTO"}, true},       {{"/auto"}, false}, {{"/Auto"}, false},
      {{"/AUTO", "x"}, false}, {{"AUTO"}, false},  {{}, false}};
  for (const auto& [args, expected] : cases)
    EXPECT_EQ(run::UnattendedCommandLine(args), expected) << testing::PrintToString(args);
}

TEST_F(StartupTest, EdgeValuesOfTheFileReachTheControlsAndStartUpCountsAsUnchanged) {
  WriteIni(
      "[Backup]\r\nGO_RND=0\r\nDEL_MONTH=1\r\nKILL_MONTH=0\r\nTIME00=\r\nTIME03=0930\r\n"
      "TIME_SH=24\r\nDEL_VAL=100\r\nKILL_VAL=0x1E\r\nLHA_USE=2\r\nWEEK_TUE=0\r\n"
      "DEL_SUN=0\r\nTO=D:\\バックアップ\r\nFROM02=C:\\表\r\n");
  app::TForm2& f = Start();
  EXPECT_FALSE(f.ChkTime1.Checked());
  EXPECT_TRUE(f.ChkTime2.Checked());
  EXPECT_TRUE(f.RdoDelM.Checked());
  EXPECT_FALSE(f.RdoDelD.Checked());
  EXPECT_EQ(f.LblDel.Caption(), "月保持");
  EXPECT_TRUE(f.RdoKillD.Checked());
  EXPECT_EQ(f.LblKill.Caption(), "日保持");
  EXPECT_EQ(f.GridTime.Cell(0), "");
  EXPECT_EQ(f.GridTime.Cell(3), "0930");
  EXPECT_EQ(f.SpinSatH.Value(), 0);
  EXPECT_EQ(f.SpinDel.Value(), 99);
  EXPECT_EQ(f.SpinKill.Value(), 30);
  EXPECT_TRUE(f.ChkLha.Checked());
  EXPECT_FALSE(f.ListWeek.Checked(1));
  EXPECT_FALSE(f.ListDel.Checked(6));
  EXPECT_EQ(f.EditTo.Text(), "D:\\バックアップ");
  EXPECT_EQ(f.EditFrom.Cell(2), "C:\\\x95\x5C");  // 表: trail byte is a backslash
  EXPECT_FALSE(f.Modified);
  EXPECT_EQ(::GetWindowTextLengthW(f.EditTo.Handle()), 9);
}

TEST_F(StartupTest, AnExistingMonthLogFillsTheView) {
  SetNow(EncodeDateTime(2001, 5, 23, 12));
  dir.WriteFile(L"log\\0105.log", "START=01/05/23 11:00:00\nEND=01/05/23 11:00:01\n");
  app::TForm2& f = Start();
  EXPECT_EQ(f.RunLog().Text(), "START=01/05/23 11:00:00\r\nEND=01/05/23 11:00:01\r\n");
  EXPECT_EQ(f.MemoLog.ShownText(), L"START=01/05/23 11:00:00\r\nEND=01/05/23 11:00:01\r\n");
}

TEST_F(StartupTest, ALogFolderThatCannotBeMadeIsReportedInTheViewAndStartUpGoesOn) {
  dir.WriteFile(L"log", "a file where the folder should be");
  WriteIni("[Backup]\r\nLHA_USE=1\r\n");
  app::TForm2& f = Start();
  EXPECT_EQ(f.RunLog().Text(), "LOG格納フォルダの作成に失敗しました\r\n");
  EXPECT_EQ(f.LblLhaVer.Caption(), "見つかりません ") << "the archiver is still looked for";
  EXPECT_FALSE(f.Modified);
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(StartupTest, AnUnreadableLogIsAnErrorMessageOrALogLineWhenUnattended) {
  SetNow(EncodeDateTime(2001, 5, 23, 12));
  const std::wstring log = dir.WriteFile(L"log\\0105.log", "x\r\n");
  win::UniqueFile writer(::CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
  Start();
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, "error");
  const std::string reason = ": " + win::ErrorReason(ERROR_SHARING_VIOLATION);
  EXPECT_EQ(dialogs.shown[0].text,
            "ファイル " + dir.PathA() + "log\\0105.log は開けません" + reason);
  form_.reset();
  dialogs.shown.clear();
  Start({"/AUTO"});
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(form_->RunLog().Text(),
            "\tファイル " + dir.PathA() + "log\\0105.log は開けません" + reason + "\r\n");
}

}  // namespace
}  // namespace yx::test
