// The 除外 page of the real settings window: the usual patterns, and 確認
// walking a real tree as a run would count it.
#include <gtest/gtest.h>

#include "support/form_fixture.h"
#include "win/pause_point.h"

namespace yx::test {
namespace {

using ExclusionPageTest = FormTest;

TEST_F(ExclusionPageTest, CheckShowsWhatARunWouldLeaveOutAndASecondClickStopsIt) {
  dir.WriteFile(L"src\\Work\\a.txt", "a");
  dir.WriteFile(L"src\\Work\\~$x.docx", "lock");
  dir.WriteFile(L"src\\Work\\Thumbs.db", "tt");
  dir.WriteFile(L"src\\Work\\web\\node_modules\\m.js", "mjs");
  Start();
  form_->EditFrom.SetCell(0, dir.PathA() + "src\\Work");
  form_->Page.SetActivePage(app::SheetExcl);
  form_->GridExcl.SetCell(1, "*.TMP");  // already there: not added twice
  Click(form_->BtnExclCommon);
  Click(form_->BtnExclCommon);
  const std::vector<std::string> rows{"~$*",         "*.TMP",          "Thumbs.db",
                                      "desktop.ini", "node_modules\\", ""};
  for (int row = 0; row < 6; ++row) EXPECT_EQ(form_->GridExcl.Cell(row), rows[row]) << row;
  EXPECT_TRUE(form_->Modified);

  Click(form_->BtnExclCheck);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  const std::string work = dir.PathA() + "src\\Work\\";
  EXPECT_EQ(dialogs.shown[0].text,
            "除外: 3 件 (9 B)\r\nバックアップされるファイル: 1 件"
            "\r\n\r\n[~$*] 1 件 (4 B)\r\n    " +
                work +
                "~$x.docx"
                "\r\n\r\n[*.TMP] 0 件 (0 B)"
                "\r\n\r\n[Thumbs.db] 1 件 (2 B)\r\n    " +
                work +
                "Thumbs.db"
                "\r\n\r\n[desktop.ini] 0 件 (0 B)"
                "\r\n\r\n[node_modules\\] 1 件 (3 B)\r\n    " +
                work + "web\\node_modules\\");
  EXPECT_FALSE(IniExists());
  EXPECT_EQ(form_->LblExclState.Caption(), "");

  // The second click comes while the walk counts, on its own thread.
  win::SetPausePointForTesting([this](std::string_view name) {
    if (name == "count") ::SendMessageW(form_->BtnExclCheck.Handle(), BM_CLICK, 0, 0);
  });
  Click(form_->BtnExclCheck);
  win::SetPausePointForTesting({});
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(dialogs.shown[1].text, "確認を中止しました。");
  EXPECT_TRUE(form_->BtnExec.Enabled());
}

TEST_F(ExclusionPageTest, TheCheckNamesABadPatternsRowOnItsPage) {
  Start();
  form_->EditTo.SetText(dir.PathA());
  form_->GridExcl.SetCell(12, "a|b");
  Click(form_->BtnSet);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "[a|b]除外の設定に誤りがあります。(13行目)");
  EXPECT_EQ(form_->Page.ActivePage(), app::SheetExcl);
  EXPECT_FALSE(IniExists());
  form_->GridExcl.SetCell(12, "ポ");  // 83 7C: its trail byte is '|'
  form_->EditExclSize.SetText("4GB");
  Click(form_->BtnSet);
  EXPECT_EQ(dialogs.shown.size(), 1u);
  EXPECT_NE(Ini().find("EXCL12=ポ\r\nEXCL13=\r\n"), std::string::npos);
  EXPECT_NE(Ini().find("EXCL_SIZE=0\r\n"), std::string::npos);
}

}  // namespace
}  // namespace yx::test
