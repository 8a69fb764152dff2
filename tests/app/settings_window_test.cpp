#include <gtest/gtest.h>

#include <tuple>

#include "support/form_fixture.h"
#include "support/layout_check.h"
#include "win/fault_line.h"

namespace yx::test {
namespace {

using SettingsWindowTest = FormTest;

TEST_F(SettingsWindowTest, ExitAfterAFreshStartClosesWithoutAsking) {
  WriteIni("[Backup]\r\nDEL_VAL=50\r\nGO_RND=0\r\n");
  Start();
  Click(form_->BtnExit);
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_FALSE(FormOpen());
  EXPECT_TRUE(app_->Terminated());
}

TEST_F(SettingsWindowTest, ExitAfterAChangeAsksAndNoClosesWithoutSaving) {
  Start();
  Click(form_->ChkLha);
  EXPECT_TRUE(form_->Modified);
  dialogs.answer_yes = false;
  Click(form_->BtnExit);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, "question");
  EXPECT_EQ(dialogs.shown[0].text, "設定が変更されてます。保存しますか?");
  EXPECT_EQ(dialogs.shown[0].title, "Yorudex");
  EXPECT_FALSE(FormOpen());
  EXPECT_FALSE(IniExists());
}

TEST_F(SettingsWindowTest, ExitWithYesAndAFailingCheckStaysOpenOnTheFaultyPage) {
  Start();
  Click(form_->ChkDel);
  Click(form_->BtnExit);  // the destination is empty: the check fails
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(dialogs.shown[1].text, "バックアップ先のフォルダが設定されていません");
  EXPECT_TRUE(FormOpen());
  EXPECT_EQ(form_->Page.ActivePage(), app::SheetPath);
  EXPECT_TRUE(form_->Modified);
  EXPECT_FALSE(IniExists());
}

TEST_F(SettingsWindowTest, ExitWithYesAndAPassingCheckSavesAndCloses) {
  Start();
  form_->EditTo.SetText(dir.PathA());
  Click(form_->BtnExit);
  EXPECT_FALSE(FormOpen());
  EXPECT_NE(Ini().find("TO=" + dir.PathA() + "\r\n"), std::string::npos);
}

TEST_F(SettingsWindowTest, UnattendedExitNeverAsks) {
  Start({"/AUTO"});
  form_->ChkLha.SetChecked(true);
  ASSERT_TRUE(form_->Modified);
  Click(form_->BtnExit);
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_FALSE(FormOpen());
}

TEST_F(SettingsWindowTest, AltF4AndTheTaskbarsCloseGoThroughTheExitPrompt) {
  Start();
  Click(form_->ChkKill);
  dialogs.answer_yes = false;
  ::SendMessageW(form_->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  Pump();
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "設定が変更されてます。保存しますか?");
  EXPECT_FALSE(FormOpen());
  EXPECT_FALSE(IniExists());

  Start();
  dialogs.answer_yes = true;
  Click(form_->ChkKill);
  Click(form_->ChkKill);  // changed and changed back: still asked about
  ::SendMessageW(app_->Handle(), WM_CLOSE, 0, 0);
  Pump();
  EXPECT_EQ(dialogs.shown.size(), 3u) << "asked, and the empty destination refused";
  EXPECT_TRUE(FormOpen()) << "a failed check keeps the window, whichever way it was closed";
}

TEST_F(SettingsWindowTest, HelpOpensTheGuideBesideTheProgram) {
  Start();
  Click(form_->BtnHelp);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, "document");
  EXPECT_EQ(dialogs.shown[0].wide_text, dir.Path() + L"使い方.html");
}

TEST_F(SettingsWindowTest, ClickingTheCheckedTimeModeBoxChecksTheOtherOne) {
  Start();
  ASSERT_TRUE(form_->ChkTime1.Checked());
  Click(form_->ChkTime1);
  EXPECT_FALSE(form_->ChkTime1.Checked());
  EXPECT_TRUE(form_->ChkTime2.Checked());
  EXPECT_TRUE(form_->Modified);
  Click(form_->ChkTime1);
  EXPECT_TRUE(form_->ChkTime1.Checked());
  EXPECT_FALSE(form_->ChkTime2.Checked());
  Click(form_->ChkTime2);
  EXPECT_FALSE(form_->ChkTime1.Checked());
  EXPECT_TRUE(form_->ChkTime2.Checked());
}

TEST_F(SettingsWindowTest, MonthModeSwitchesOnlyItsOwnGroupsLabel) {
  Start();
  Click(form_->RdoDelM);
  EXPECT_EQ(form_->LblKill.Caption(), "日保持");
  EXPECT_FALSE(form_->RdoDelD.Checked());
  EXPECT_TRUE(form_->RdoKillD.Checked());
  EXPECT_TRUE(form_->Modified);
  Click(form_->RdoDelD);
  EXPECT_EQ(form_->LblDel.Caption(), "日保持");
  EXPECT_FALSE(form_->RdoDelM.Checked());
  Click(form_->RdoKillM);
  EXPECT_EQ(form_->LblKill.Caption(), "月保持");
  EXPECT_EQ(form_->LblDel.Caption(), "日保持");
}

TEST_F(SettingsWindowTest, ASpinBoxRefusesTypedTextAndStopsAtItsBounds) {
  Start();
  ui::SpinBox& spin = form_->SpinSatH;
  const HWND edit = spin.Handle();
  ::SendMessageW(edit, WM_CHAR, L'7', 0);
  ::SendMessageW(edit, WM_PASTE, 0, 0);
  ::SendMessageW(edit, WM_CUT, 0, 0);
  EXPECT_EQ(spin.Value(), 0);
  EXPECT_EQ(ui::WindowTextWide(edit), L"0");
  EXPECT_FALSE(form_->Modified);
  ::SendMessageW(edit, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(spin.Value(), 0) << "no wrap-around below the range";
  EXPECT_FALSE(form_->Modified) << "no change, no event";
  for (int i = 0; i < 30; ++i) ::SendMessageW(edit, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(spin.Value(), 23);
  EXPECT_EQ(ui::WindowTextWide(edit), L"23");
  EXPECT_TRUE(form_->Modified);
  form_->SpinDel.SetValue(500);
  EXPECT_EQ(form_->SpinDel.Value(), 99);
}

TEST_F(SettingsWindowTest, TheArrowButtonsStepByOne) {
  Start();
  ui::SpinBox& spin = form_->SpinKill;
  RECT r;
  ::GetClientRect(spin.UpDownHandle(), &r);
  // The upper half of the arrow pair is "up".
  ::SendMessageW(spin.UpDownHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right / 2, 2));
  ::SendMessageW(spin.UpDownHandle(), WM_LBUTTONUP, 0, MAKELPARAM(r.right / 2, 2));
  Pump();
  EXPECT_EQ(spin.Value(), 31);
  ::SendMessageW(spin.UpDownHandle(), WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM(r.right / 2, r.bottom - 2));
  ::SendMessageW(spin.UpDownHandle(), WM_LBUTTONUP, 0, MAKELPARAM(r.right / 2, r.bottom - 2));
  Pump();
  EXPECT_EQ(spin.Value(), 30);
}

TEST_F(SettingsWindowTest, EditingAGridCellMarksTheSettingsChangedButCodeDoesNot) {
  Start();
  form_->EditFrom.SetCell(3, "C:\\x");
  form_->ListWeek.SetChecked(2, false);
  EXPECT_FALSE(form_->Modified);
  form_->GridTime.SetRow(4);
  ::SetWindowTextW(form_->GridTime.EditorHandle(), L"0930");
  Pump();
  EXPECT_EQ(form_->GridTime.Cell(4), "0930");
  EXPECT_TRUE(form_->Modified);
}

TEST_F(SettingsWindowTest, ClickingADayTickTogglesItAndMarksTheSettingsChanged) {
  Start();
  form_->Page.SetActivePage(app::SheetTime);
  Pump();
  const RECT tick = form_->ListDel.TickRect(3);
  const LPARAM at = MAKELPARAM((tick.left + tick.right) / 2, (tick.top + tick.bottom) / 2);
  ::SendMessageW(form_->ListDel.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageW(form_->ListDel.Handle(), WM_LBUTTONUP, 0, at);
  Pump();
  EXPECT_FALSE(form_->ListDel.Checked(3));
  EXPECT_TRUE(form_->ListDel.Checked(2));
  EXPECT_TRUE(form_->ListWeek.Checked(3)) << "the neighbouring list is its own";
  EXPECT_TRUE(form_->Modified);
}

TEST_F(SettingsWindowTest, TypingInTheDestinationFieldMarksTheSettingsChanged) {
  Start();
  ::SetWindowTextW(form_->EditTo.Handle(), L"D:\\新しい");
  Pump();
  EXPECT_EQ(form_->EditTo.Text(), "D:\\新しい");
  EXPECT_TRUE(form_->Modified);
}

TEST_F(SettingsWindowTest, TheVersionTextIsExactToTheByte) {
  Start();
  Click(form_->BtnVer);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, "message");
  EXPECT_EQ(dialogs.shown[0].title, "Yorudex");
  EXPECT_EQ(dialogs.shown[0].text,
            "Yorudex ver0.80a\r\rNAME: " + std::string(app::kAuthorName) + "\rDATE: 01/05/23");
}

TEST_F(SettingsWindowTest, SaveWritesEveryKeyAndClearsTheChangeMark) {
  Start();
  form_->EditTo.SetText(dir.PathA());
  Click(form_->ChkLha);
  Click(form_->BtnSet);
  EXPECT_FALSE(form_->Modified);
  const std::string ini = Ini();
  EXPECT_NE(ini.find("LHA_USE=1\r\n"), std::string::npos);
  EXPECT_NE(ini.find("FROM09=\r\n"), std::string::npos);
  EXPECT_TRUE(FormOpen());
}

TEST_F(SettingsWindowTest, EveryValueLoadedIntoTheWindowIsSavedAsItWas) {
  // Each key differs from its default and, where it can, from its neighbours,
  // so a value shown in or read from the wrong control changes the file.
  std::string ini = "[Backup]\r\n";
  const char* const days[] = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};
  for (int day = 0; day < 7; ++day)
    ini += std::string("WEEK_") + days[day] + (day % 2 == 0 && day < 6 ? "=1\r\n" : "=0\r\n");
  for (int day = 0; day < 7; ++day)
    ini += std::string("DEL_") + days[day] + (day % 4 < 2 ? "=0\r\n" : "=1\r\n");
  ini += "GO_RND=0\r\n";
  for (int row = 0; row < 10; ++row)
    ini += "TIME0" + std::to_string(row) + "=0" + std::to_string(row) + "0" + std::to_string(row) +
           "\r\n";
  ini +=
      "TIME_SH=5\r\nTIME_SM=6\r\nTIME_SS=7\r\nLHA_USE=1\r\nDEL_USE=0\r\nDEL_VAL=20\r\n"
      "DEL_MONTH=1\r\nKILL_USE=1\r\nKILL_VAL=40\r\nKILL_MONTH=0\r\n";
  ini += "TO=" + win::FromWide(dir.MakeFolder(L"to")) + "\r\n";
  for (int row = 0; row < 10; ++row)
    ini += "FROM0" + std::to_string(row) + "=" +
           win::FromWide(dir.MakeFolder(L"from" + std::to_wstring(row))) + "\r\n";
  ini += "LINK_USE=0\r\n";
  for (int row = 0; row < 20; ++row)
    ini += "EXCL" + std::to_string(row / 10) + std::to_string(row % 10) + "=*." +
           std::to_string(row) + "\r\n";
  ini += "EXCL_SIZE=123\r\n";
  ini += "WARN_DAYS=9\r\nRUN_FAIL=fail.bat -a\r\nRUN_DONE=done.bat -b\r\n";
  WriteIni(ini);
  Start();
  EXPECT_TRUE(form_->RdoKillD.Checked());
  Click(form_->BtnSet);
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(Ini(), ini);
}

TEST_F(SettingsWindowTest, ASaveThatCannotWriteReportsTheFileAndKeepsTheChangeMark) {
  Start();
  ASSERT_TRUE(::CreateDirectoryW((dir.Path() + L"Yorudex.INI").c_str(), nullptr));
  form_->EditTo.SetText(dir.PathA());
  Click(form_->BtnSet);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, "error");
  EXPECT_EQ(dialogs.shown[0].text,
            dir.PathA() + "Yorudex.INI に書き込めません: " + win::ErrorReason(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(form_->Modified);
}

TEST_F(SettingsWindowTest, MinimiseLeavesOnlyTheTaskbarEntryAndRestoringBringsTheWindowBack) {
  Start();
  EXPECT_TRUE(::IsWindowVisible(app_->Handle()));
  EXPECT_EQ(::GetWindow(form_->Handle(), GW_OWNER), app_->Handle());
  Click(form_->BtnMin);
  EXPECT_TRUE(::IsIconic(app_->Handle()));
  EXPECT_FALSE(::IsWindowVisible(form_->Handle()));
  ::SendMessageW(app_->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  Pump();
  EXPECT_FALSE(::IsIconic(app_->Handle()));
  EXPECT_TRUE(::IsWindowVisible(form_->Handle()));
}

TEST_F(SettingsWindowTest, TheFaultyControlHasTheFocusAgainAfterTheBoxAndARestore) {
  WriteIni("[Backup]\r\nTIME00=1260\r\n");
  Start();
  dialogs.real_boxes = true;
  Click(form_->BtnSet);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  const HWND editor = form_->GridTime.EditorHandle();
  EXPECT_EQ(dialogs.shown[0].focus, editor) << "the check moved the focus to the time grid";
  EXPECT_EQ(::GetFocus(), editor) << "and it is there again once the box has closed";
  app_->Minimize();
  Pump();
  ::SendMessageW(app_->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  Pump();
  EXPECT_EQ(::GetFocus(), editor);
}

TEST_F(SettingsWindowTest, AMoveToAScreenOfAnotherScaleLaysTheWindowOutAgainFromItsDesign) {
  Start();
  RECT frame;
  ::GetWindowRect(form_->Handle(), &frame);
  const auto move_to = [&](int dpi) {
    RECT suggested{frame.left, frame.top, frame.left + (frame.right - frame.left) * dpi / 96,
                   frame.top + (frame.bottom - frame.top) * dpi / 96};
    ::SendMessageW(form_->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
    Pump();
    RECT button;
    ::GetWindowRect(form_->BtnSet.Handle(), &button);
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(form_->BtnSet.Handle(), WM_GETFONT, 0, 0)),
                 sizeof font, &font);
    return std::tuple(button.right - button.left, button.bottom - button.top, font.lfHeight);
  };
  EXPECT_EQ(move_to(192), std::tuple(114, 44, -26)) << "57 x 22 buttons, a 13-pixel font";
  for (const std::string& fault : LayoutFaults(form_->Handle())) ADD_FAILURE() << fault;
  EXPECT_EQ(move_to(144), std::tuple(85, 33, -20)) << "edges scaled: 239..296 is 359..444";
  EXPECT_EQ(move_to(96), std::tuple(57, 22, -13)) << "back where it was, nothing drifted";
}

class KeyboardTest : public FormTest {
 protected:
  // A key pressed on the focused control, the modifiers held in this thread's
  // keyboard state, where the dialog manager reads them.
  void Press(WORD key, bool shift = false, bool control = false) {
    BYTE keys[256] = {};
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_CONTROL] = control ? 0x80 : 0;
    ::SetKeyboardState(keys);
    ::PostMessageW(::GetFocus(), WM_KEYDOWN, key, 1);
    ::PostMessageW(::GetFocus(), WM_KEYUP, key, 0xC0000001);
    Pump();
    keys[VK_SHIFT] = keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
  }
};

TEST_F(KeyboardTest, TabWalksAPageInReadingOrderArrowsStayInTheirGroupCtrlTabTurnsPages) {
  Start();
  form_->Page.SetActivePage(app::SheetArc);
  form_->ChkLha.SetFocus();
  // The unchecked radio button of each pair is skipped, as in any dialog.
  const HWND order[] = {
      form_->ChkLink.Handle(),  form_->ChkDel.Handle(),   form_->RdoDelD.Handle(),
      form_->SpinDel.Handle(),  form_->ChkKill.Handle(),  form_->RdoKillD.Handle(),
      form_->SpinKill.Handle(), form_->SpinWarn.Handle(), form_->BtnSet.Handle(),
      form_->BtnHelp.Handle(),  form_->BtnExit.Handle(),  form_->BtnExec.Handle(),
      form_->BtnVer.Handle(),   form_->BtnMin.Handle(),   form_->ChkLha.Handle()};
  for (const HWND next : order) {
    Press(VK_TAB);
    EXPECT_EQ(::GetFocus(), next);
  }
  Press(VK_DOWN);
  EXPECT_EQ(::GetFocus(), form_->ChkLha.Handle()) << "the arrows move between radio buttons only";
  Press(VK_TAB, true);
  EXPECT_EQ(::GetFocus(), form_->BtnMin.Handle()) << "back from the page to the strip";
  form_->RdoDelD.SetFocus();
  Press(VK_RIGHT);
  EXPECT_EQ(::GetFocus(), form_->RdoDelM.Handle());
  EXPECT_TRUE(form_->RdoDelM.Checked());
  Press(VK_RIGHT);
  EXPECT_EQ(::GetFocus(), form_->RdoDelD.Handle()) << "the arrows never leave the pair";
  Press(VK_TAB, false, true);
  EXPECT_EQ(form_->Page.ActivePage(), app::SheetLOG);
  EXPECT_EQ(::GetFocus(), form_->MemoLog.Handle());
  Press(VK_ESCAPE);
  EXPECT_TRUE(::IsWindow(form_->Page.Page(app::SheetLOG))) << "Escape closes no page";
  Press(VK_TAB, true, true);
  EXPECT_EQ(form_->Page.ActivePage(), app::SheetArc);
  EXPECT_EQ(::GetFocus(), form_->ChkLha.Handle());
}

TEST_F(KeyboardTest, AKeyboardOnlyWalkTurnsEveryPageSavesRunsAndShowsTheRunsLines) {
  SetNow(EncodeDateTime(2001, 5, 23, 9, 5));
  // A month of earlier runs, more than the view holds.
  std::string month;
  for (int day = 1; day <= 22; ++day) {
    const std::string stamp = "01/05/" + std::string(day < 10 ? "0" : "") + std::to_string(day);
    month +=
        "START=" + stamp + " 09:05:00\r\n\tバックアップ正常終了\r\nEND=" + stamp + " 09:05:00\r\n";
  }
  dir.WriteFile(L"log\\0105.log", month);
  const std::string dest = win::FromWide(dir.MakeFolder(L"dest"));
  dir.WriteFile(L"src\\a.txt", "a");
  const std::string source = dir.PathA() + "src";
  WriteIni("[Backup]\r\nTO=" + dest + "\r\nFROM00=" + source + "\r\n");
  Start();
  ASSERT_EQ(form_->Page.ActivePage(), app::SheetLOG);
  const HWND memo = form_->MemoLog.Handle();
  EXPECT_EQ(::GetFocus(), memo);
  // The last run's first line, and the first line in view.
  auto start_line = [&](const wchar_t* stamp) {
    const size_t at = form_->MemoLog.ShownText().find(std::wstring(L"START=") + stamp);
    return at == std::wstring::npos ? -1 : ::SendMessageW(memo, EM_LINEFROMCHAR, at, 0);
  };
  auto first_shown = [&] { return ::SendMessageW(memo, EM_GETFIRSTVISIBLELINE, 0, 0); };
  EXPECT_GT(first_shown(), 0) << "the log opens on its last run, not on the month's first";
  EXPECT_LE(first_shown(), start_line(L"01/05/22"));

  for (const int page : {app::SheetTime, app::SheetPath, app::SheetExcl, app::SheetArc}) {
    Press(VK_TAB, false, true);
    EXPECT_EQ(form_->Page.ActivePage(), page);
  }
  EXPECT_EQ(::GetFocus(), form_->ChkLha.Handle());
  Press(VK_TAB);
  Press(VK_SPACE);  // 変更のないファイルは…共有する, off
  EXPECT_TRUE(form_->Modified);
  Press('S', false, true);
  EXPECT_FALSE(form_->Modified);
  EXPECT_NE(Ini().find("LINK_USE=0\r\n"), std::string::npos);
  Press(VK_SPACE);
  Press(VK_TAB, true, true);
  Press(VK_TAB, true, true);  // on 場所, the settings changed again
  ASSERT_EQ(form_->Page.ActivePage(), app::SheetPath);
  Press(VK_F5);
  EXPECT_FALSE(form_->Modified) << "the run saved the settings";
  EXPECT_EQ(form_->Page.ActivePage(), app::SheetLOG);
  wchar_t focused[32] = {};
  ::GetClassNameW(::GetFocus(), focused, 32);
  EXPECT_EQ(::GetFocus(), memo) << win::FromWide(focused) << " " << ::GetFocus();
  const auto run_start = start_line(L"01/05/23 09:05:00");
  ASSERT_GT(run_start, 0);
  EXPECT_GT(first_shown(), 0);
  EXPECT_LE(first_shown(), run_start);
  const std::wstring shown = form_->MemoLog.ShownText();
  EXPECT_NE(shown.find(L"バックアップ正常終了", shown.find(L"START=01/05/23")), std::wstring::npos)
      << win::FromWide(shown.substr(shown.find(L"START=01/05/23")));

  Press(VK_F1);
  ASSERT_FALSE(dialogs.shown.empty());
  EXPECT_EQ(dialogs.shown.back().kind, "document");
  const size_t shown_before = dialogs.shown.size();
  ::SendMessageW(form_->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  Pump();
  EXPECT_EQ(dialogs.shown.size(), shown_before) << "nothing changed since the run's save";
  EXPECT_FALSE(FormOpen());
}

TEST_F(KeyboardTest, TheStripsKeysAreToldInTheButtonsTips) {
  Start();
  EXPECT_NE(form_->Tips.TextOf(form_->BtnSet).find(L"Ctrl+S"), std::wstring::npos);
  EXPECT_NE(form_->Tips.TextOf(form_->BtnHelp).find(L"F1"), std::wstring::npos);
  EXPECT_NE(form_->Tips.TextOf(form_->BtnExec).find(L"F5"), std::wstring::npos);
  EXPECT_EQ(ui::WindowTextWide(form_->BtnSet.Handle()), L"保存") << "the captions stay";
}

}  // namespace
}  // namespace yx::test
