#include <gtest/gtest.h>

#include "support/form_fixture.h"

namespace yx::test {
namespace {

class SettingsCheckTest : public FormTest {
 protected:
  const DateTime reference = EncodeDateTime(2024, 3, 31, 10, 15);
  void StartWithValidPaths(std::vector<std::string> args = {}) {
    Start(std::move(args));
    form_->EditTo.SetText(win::FromWide(dir.MakeFolder(L"dest")));
  }
};

TEST_F(SettingsCheckTest, OnlyTheFirstFaultyTimeRowIsReportedOnItsPage) {
  StartWithValidPaths();
  form_->GridTime.SetCell(0, "1200");
  form_->GridTime.SetCell(2, "2360");
  form_->GridTime.SetCell(5, "930");
  form_->EditTo.SetText("");
  EXPECT_FALSE(form_->CheckAndSaveSettings(reference));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "[2360]分の設定に誤りがあります。");
  EXPECT_EQ(form_->Page.ActivePage(), app::SheetTime);
  const HWND focus = ::GetFocus();
  EXPECT_TRUE(focus == form_->GridTime.Handle() || ::GetParent(focus) == form_->GridTime.Handle());
  EXPECT_FALSE(IniExists());
}

TEST_F(SettingsCheckTest, AFailedCheckChangesNeitherCutOffsNorTheChangeMark) {
  StartWithValidPaths();
  form_->ChkDel.SetChecked(true);
  ASSERT_TRUE(form_->CheckAndSaveSettings(reference));
  const DateTime del = form_->DelLimit;
  form_->EditFrom.SetCell(1, dir.PathA() + "nothere");
  form_->SpinDel.SetValue(3);
  EXPECT_FALSE(form_->CheckAndSaveSettings(EncodeDateTime(2030, 1, 1)));
  EXPECT_EQ(dialogs.shown.back().text,
            "PATH=" + dir.PathA() + "nothereバックアップ元のフォルダが存在しません");
  EXPECT_EQ(form_->DelLimit, del);
  EXPECT_TRUE(form_->Modified);
}

TEST_F(SettingsCheckTest, AFileIsNoFolder) {
  StartWithValidPaths();
  form_->EditTo.SetText(win::FromWide(dir.WriteFile(L"file", "x")));
  EXPECT_FALSE(form_->CheckAndSaveSettings(reference));
  EXPECT_EQ(dialogs.shown.back().text, "バックアップ先のフォルダが存在しません");
  EXPECT_EQ(form_->Page.ActivePage(), app::SheetPath);
}

TEST_F(SettingsCheckTest, ADestinationInsideOrEqualToASourceIsRefusedOnTheDestination) {
  StartWithValidPaths();
  dir.MakeFolder(L"Data\\Backup");
  form_->EditFrom.SetCell(0, dir.PathA() + "dest");
  form_->EditFrom.SetCell(3, dir.PathA() + "Data");
  for (const char* to : {"Data\\Backup", "Data\\.\\"}) {
    form_->EditTo.SetText(dir.PathA() + to);
    EXPECT_FALSE(form_->CheckAndSaveSettings(reference)) << to;
    EXPECT_EQ(
        dialogs.shown.back().text,
        "PATH=" + dir.PathA() + "Dataバックアップ先がこのバックアップ元のフォルダの中にあります");
    EXPECT_EQ(form_->Page.ActivePage(), app::SheetPath);
  }
  EXPECT_FALSE(IniExists());
}

TEST_F(SettingsCheckTest, CutOffsFollowTheReferenceTimeAndTheWarningIsReported) {
  StartWithValidPaths();
  form_->ChkDel.SetChecked(true);
  form_->RdoDelM.SetChecked(true);
  form_->SpinDel.SetValue(1);
  form_->ChkKill.SetChecked(true);
  form_->SpinKill.SetValue(30);
  ASSERT_TRUE(form_->CheckAndSaveSettings(reference));
  EXPECT_DOUBLE_EQ(form_->DelLimit, EncodeDateTime(2024, 2, 29, 10, 15));
  EXPECT_DOUBLE_EQ(form_->KillLimit, EncodeDateTime(2024, 3, 1, 10, 15));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text,
            "警告：「削除対象」が有効にならないような「強制削除」設定になってます");
  EXPECT_TRUE(IniExists());
  EXPECT_FALSE(form_->Modified);
  dialogs.shown.clear();
  ASSERT_TRUE(form_->CheckAndSaveSettings(EncodeDateTime(2024, 3, 15, 10, 15)));
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SettingsCheckTest, ARuleThatIsOffHasNoCutOff) {
  StartWithValidPaths();
  form_->ChkKill.SetChecked(true);
  ASSERT_TRUE(form_->CheckAndSaveSettings(EncodeDateTime(2024, 1, 15, 8)));
  EXPECT_EQ(form_->DelLimit, -1);
  EXPECT_DOUBLE_EQ(form_->KillLimit, EncodeDateTime(2023, 12, 16, 8));
}

TEST_F(SettingsCheckTest, UnattendedAMissingDestinationAddsOneLogLineAndNoDialog) {
  Start({"/AUTO"});
  EXPECT_FALSE(form_->CheckAndSaveSettings(reference));
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(form_->RunLog().Text(), "\tバックアップ先のフォルダが存在しません\r\n");
  EXPECT_EQ(form_->Page.ActivePage(), app::SheetPath);
}

}  // namespace
}  // namespace yx::test
