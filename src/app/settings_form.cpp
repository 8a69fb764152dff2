#include "app/settings_form.h"

#include <shellapi.h>

#include "app/month_log_start.h"
#include "backup/unlha32.h"
#include "backup/version_caption.h"
#include "run/folder_place.h"
#include "ui/dpi.h"
#include "win/clock.h"

namespace yx::app {
namespace {
constexpr UINT_PTR kClockTimer = 1;
}

TForm2::TForm2(ui::Application& app, ui::Dialogs& dialogs, StartupOptions options,
               run::RunSession& session)
    : app_(app), dialogs_(dialogs), options_(std::move(options)), session_(session) {
  CreateWindowAndControls();
  WireEvents();
  // A run writes the log on its own thread and goes on; the view follows on
  // this one, in the same order, opened on the last run.
  session_.Log().on_reset = [this](std::string_view whole) {
    ui::ShowOnWindowThread(hwnd_, [this, text = std::string(whole)] {
      MemoLog.ShowText(text);
      MemoLog.ScrollToLastLine(L"START=");
    });
  };
  session_.Log().on_append = [this](std::string_view added) {
    ui::ShowOnWindowThread(hwnd_, [this, text = std::string(added)] { MemoLog.AppendText(text); });
  };
  app_.SetMainWindow(hwnd_);
  AddCompanionMenu();
  FormCreate();
  // Visible from its creation on, opening on the log page.
  app_.ShowTaskbarEntry();
  ::ShowWindow(hwnd_, SW_SHOWNORMAL);
  ::UpdateWindow(hwnd_);
}

TForm2::~TForm2() {
  session_.Log().on_reset = nullptr;
  session_.Log().on_append = nullptr;
  // Gone with the object: its WM_DESTROY would end the message loop.
  if (hwnd_) DestroyUnbound(hwnd_);
}

void TForm2::WireEvents() {
  for (ui::CheckList* list : {&ListWeek, &ListDel})
    list->on_click_check = [this] { MarkSettingsChanged(); };
  for (ui::SpinBox* spin : {&SpinSatH, &SpinSatM, &SpinSpan, &SpinDel, &SpinKill, &SpinWarn})
    spin->on_change = [this] { MarkSettingsChanged(); };
  EditTo.on_change = EditExclSize.on_change = [this] { MarkSettingsChanged(); };
  // A limit that is no number, or out of range, shows as it will be saved.
  EditExclSize.on_leave = [this] { EditExclSize.SetText(std::to_string(ShownExclusionSize())); };
  BtnExclCommon.on_click = [this] { BtnExclCommonClick(); };
  BtnExclCheck.on_click = [this] { BtnExclCheckClick(); };
  for (ui::CheckBox* box : {&ChkLha, &ChkLink, &ChkDel, &ChkKill})
    box->on_click = [this] { MarkSettingsChanged(); };
  for (ui::StringGrid* grid : {&GridTime, &EditFrom, &GridExcl})
    grid->on_set_edit_text = [this](int, int, const std::string&) { MarkSettingsChanged(); };
  RdoDelD.on_click = RdoDelM.on_click = [this] { RdoDelDClick(); };
  RdoKillD.on_click = RdoKillM.on_click = [this] { RdoKillDClick(); };
  ChkTime1.on_click = [this] { ChkTime1Click(); };
  ChkTime2.on_click = [this] { ChkTime2Click(); };
  BtnExec.on_click = [this] { BtnExecClick(); };
  BtnSet.on_click = [this] { BtnSetClick(); };
  BtnHelp.on_click = [this] { BtnHelpClick(); };
  BtnVer.on_click = [this] { BtnVerClick(); };
  BtnExit.on_click = [this] { BtnExitClick(); };
  BtnMin.on_click = [this] { BtnMinClick(); };
}

void TForm2::FormCreate() {
  Modified = false;
  AppDir = run::ProgramFolder(options_.exe_path);
  LogDir = AppDir + "log\\";
  app_.SetMessageHook([this](MSG& msg, bool& handled) {
    HandleDropFiles(msg, handled);
    if (!handled) handled = Page.TurnPageByKey(msg) || HandleCommandKey(msg);
  });
  ::DragAcceptFiles(hwnd_, TRUE);
  TimerTimer();
  ::SetTimer(hwnd_, kClockTimer, 1000, nullptr);
  ShowSettings(settings::LoadSettings(SettingsFile()));
  // The rest of the start-up (the archiver above all) goes on whatever the
  // log's state.
  StartMonthLog(session_, LogDir, *this);
  ArchiverPresent = backup::unlha32::LibraryLoaded();
  ShowArchiverVersion();
  after_run_ = std::make_unique<SystemEffects>(options_.exe_path, hwnd_);
  if (!session_.Unattended()) ShowBackupAge();
  Modified = false;
}

void TForm2::ShowArchiverVersion() {
  if (ArchiverPresent)
    LblLhaVer.SetCaption(backup::VersionCaption(backup::unlha32::UnlhaGetVersion()));
  else
    LblLhaVer.SetCaption("見つかりません ");
}

std::string TForm2::SettingsFile() const { return AppDir + std::string(settings::kFileName); }

void TForm2::TimerTimer() {
  LblTime.SetCaption(FormatDateTime("mm/dd hh:nn:ss", win::Now()));
  if (checking_exclusions_) ShowExclusionCount();
}

void TForm2::ShowMessage(std::string_view text) {
  dialogs_.ShowMessage(hwnd_, app_.Title(), std::string(text));
}

void TForm2::ShowError(std::string_view text) {
  dialogs_.ShowError(hwnd_, app_.Title(), std::string(text));
}

LRESULT TForm2::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      if (wp == kClockTimer) TimerTimer();
      return 0;
    case WM_PAINT: {
      // The sunken frame around the clock.
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd_, &ps);
      RECT bevel = ui::ScaledRect(RECT{4, 4, 236, 44}, ui::WindowDpi(hwnd_));
      ::DrawEdge(dc, &bevel, BDR_SUNKENOUTER, BF_RECT);
      ::EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
      ::SetBkColor(reinterpret_cast<HDC>(wp), ::GetSysColor(COLOR_BTNFACE));
      if (age_warning_ && reinterpret_cast<HWND>(lp) == LblAge.Handle())
        ::SetTextColor(reinterpret_cast<HDC>(wp), RGB(192, 0, 0));
      return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    // Windows would give the focus to the window itself on activation, where
    // no key reaches a control: the control that had it gets it back, after a
    // message box, a restore from the taskbar or a switch to another program.
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        const HWND focus = ::GetFocus();
        if (focus && ::IsChild(hwnd_, focus)) focus_ = focus;
      } else if (!HIWORD(wp)) {
        RestoreFocus();
      }
      return 0;
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    // The window has no title-bar buttons, so no menu of its own: Alt+Space
    // opens the taskbar entry's, which holds the companions.
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) == SC_KEYMENU && lp == ' ') {
        app_.ShowSystemMenu(hwnd_);
        return 0;
      }
      return ::DefWindowProcW(hwnd_, msg, wp, lp);
    // Moved to a screen of another scale: laid out again for it, where
    // Windows suggests.
    case WM_DPICHANGED:
      Rescale(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_CLOSE:
      // During a run the window goes at once and the program once it ends
      // (the run saves the settings); otherwise Alt+F4 and the taskbar's
      // close are 終了 by other means, changed settings asked about.
      if (worker_.Busy()) {
        close_after_run_ = true;
        ::ShowWindow(hwnd_, SW_HIDE);
        return 0;
      }
      BtnExitClick();
      return 0;
    case WM_DESTROY:
      ::KillTimer(hwnd_, kClockTimer);
      app_.Terminate();
      return 0;
    default:
      return ::DefWindowProcW(hwnd_, msg, wp, lp);
  }
}

void TForm2::RestoreFocus() {
  // A control on a page that no longer shows, or one held off with its page
  // during a run, cannot take it: the first control of the page in front
  // does, or else the first of the window (the strip's), if any.
  bool usable = focus_ && ::IsChild(hwnd_, focus_) && ::IsWindowVisible(focus_);
  for (HWND w = focus_; usable && w != hwnd_; w = ::GetParent(w)) usable = ::IsWindowEnabled(w);
  HWND target = usable ? focus_ : nullptr;
  if (!target && ::IsWindowEnabled(Page.Handle()))
    target = ::GetNextDlgTabItem(Page.Page(Page.ActivePage()), nullptr, FALSE);
  if (!target) target = ::GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  if (target && target != hwnd_) ::SetFocus(target);
}

}  // namespace yx::app
