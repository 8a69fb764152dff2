#pragma once
// The settings window: every setting as a control, the six command buttons,
// the clock and the run log view. It owns the program's state for the life of
// the process.
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/after_run.h"
#include "base/date_time.h"
#include "base/progress_state.h"
#include "log/run_log.h"
#include "run/run_session.h"
#include "settings/settings_file.h"
#include "ui/application.h"
#include "ui/check_box.h"
#include "ui/check_list.h"
#include "ui/dialogs.h"
#include "ui/flat_button.h"
#include "ui/label.h"
#include "ui/memo.h"
#include "ui/page_control.h"
#include "ui/push_button.h"
#include "ui/spin_box.h"
#include "ui/string_grid.h"
#include "ui/text_edit.h"
#include "ui/tool_tips.h"
#include "ui/window.h"
#include "ui/worker.h"
#include "win/unique_handle.h"

namespace yx::app {

class TForm3;

struct StartupOptions {
  std::wstring exe_path;          // full path of the executable
  std::vector<std::string> args;  // command-line arguments, CP932, without the program
};

// Pages of `Page`, in tab order.
enum PageIndex { SheetTime = 0, SheetPath = 1, SheetExcl = 2, SheetArc = 3, SheetLOG = 4 };

// The settings window, 起動日時設定: the program's main window. Its runs
// and saves go through `session`, which it fronts.
class TForm2 final : private ui::Window<TForm2>, public run::SessionFront {
 public:
  TForm2(ui::Application& app, ui::Dialogs& dialogs, StartupOptions options,
         run::RunSession& session);
  ~TForm2();
  TForm2(const TForm2&) = delete;
  TForm2& operator=(const TForm2&) = delete;

  [[nodiscard]] HWND Handle() const noexcept { return hwnd_; }
  // A run or the 除外 walk goes on, on its own thread.
  [[nodiscard]] bool Busy() const noexcept { return worker_.Busy(); }
  // After the loop: a run that a fault left going ends while the progress
  // window it reports to is still there.
  void WaitForWork() noexcept { worker_.Wait(); }

  // State, in declared order.
  bool ArchiverPresent = false;
  bool Modified = false;
  std::string AppDir;
  std::string LogDir;

  // Commands and handlers.
  void BtnExecClick();
  void BtnSetClick();
  void BtnHelpClick();
  void BtnVerClick();
  void BtnExitClick();
  void BtnMinClick();
  void RdoDelDClick();
  void RdoKillDClick();
  void ChkTime1Click();
  void ChkTime2Click();
  // Any edit of a setting, whichever control made it.
  void MarkSettingsChanged();
  void HandleDropFiles(MSG& msg, bool& handled);
  // F1, Ctrl+S and F5 from any page: the strip's commands, as a click on a
  // button that is not held off. True when the key was used.
  [[nodiscard]] bool HandleCommandKey(const MSG& msg);
  void TimerTimer();
  // The 除外 page: the usual patterns into the empty rows, and a walk of the
  // sources that shows what the exclusions leave out (a second click stops it).
  void BtnExclCommonClick();
  void BtnExclCheckClick();
  void ShowExclusionCount();

  [[nodiscard]] bool CheckAndSaveSettings(DateTime reference);

  // The settings record and the controls: the one copy into them and the one
  // copy out of them. The controls hold the live record between the two.
  void ShowSettings(const settings::Settings& settings);
  [[nodiscard]] settings::Settings ShownSettings() const;
  [[nodiscard]] int ShownExclusionSize() const;

  [[nodiscard]] log::RunLog& RunLog() noexcept { return session_.Log(); }

  [[nodiscard]] std::string SettingsFile() const;
  // The window menu's items that start the companions beside the program.
  void AddCompanionMenu();
  void StartCompanion(const std::string& exe_name);
  // The progress window is created after this one and handed over here.
  void AttachProgressForm(TForm3& progress);

  // What the session shows through this window.
  void ShowMessage(std::string_view cp932_text) override;
  void ShowError(std::string_view cp932_text) override;
  void ShowFaultField(settings::CheckedField field) override;
  void HoldCommands(bool hold) override;
  void SettingsSaved() override { Modified = false; }
  [[nodiscard]] backup::ProgressSink& Progress() override;
  // What leaves the process after a run (the command, the notification).
  void SetAfterRunEffects(std::unique_ptr<AfterRunEffects> effects) {
    after_run_ = std::move(effects);
  }
  std::vector<std::string> RunEnded(const run::RunEnding& ending,
                                    const settings::Settings& settings) override;

  // Controls, each named by its kind and its role.
  ui::Label LblTimeCaption, LblTime;
  ui::FlatButton BtnSet, BtnHelp, BtnExit, BtnExec, BtnVer, BtnMin;
  ui::PageControl Page;
  ui::GroupBox BoxWeek, BoxTime, BoxTime2, BoxLha, BoxDel, BoxKill;
  ui::CheckList ListWeek, ListDel;
  ui::CheckBox ChkTime1, ChkTime2, ChkLha, ChkLink, ChkDel, ChkKill;
  ui::StringGrid GridTime, EditFrom;
  ui::SpinBox SpinSatH, SpinSatM, SpinSpan, SpinDel, SpinKill, SpinWarn;
  ui::Label LblSatH, LblSatM, LblFrom, LblSpanHead, LblSpan;
  ui::TextEdit EditTo;
  ui::Label LblTo, LblFromCaption, LblLhaCaption, LblLhaVer, LblDel, LblKill;
  ui::Label LblWarn, LblWarnUnit, LblAge;
  ui::RadioButton RdoDelD, RdoDelM, RdoKillD, RdoKillM;
  ui::Memo MemoLog;
  ui::StringGrid GridExcl;
  ui::Label LblExcl, LblExclSize, LblExclMb, LblExclNote, LblExclState;
  ui::TextEdit EditExclSize;
  ui::PushButton BtnExclCommon, BtnExclCheck;
  ui::ToolTips Tips;

 private:
  void CreateWindowAndControls();
  // The fonts, and the layout from its design units, for the window's DPI.
  void MakeFonts(int dpi);
  void Rescale(int dpi, const RECT& suggested);
  void CreateTopStrip();
  void CreateTimePage(HWND page);
  void CreatePathPage(HWND page);
  void CreateArcPage(HWND page);
  void CreateExclPage(HWND page);
  void CreateLogPage(HWND page);
  struct RetentionControls {
    ui::GroupBox& box;
    ui::CheckBox& use;
    ui::RadioButton& days;
    ui::RadioButton& months;
    ui::SpinBox& count;
    ui::Label& unit;
  };
  void CreateRetentionGroup(HWND page, int top, const RetentionControls& rule,
                            std::string_view caption, std::string_view check_caption, int count);
  void WireEvents();
  void FormCreate();
  void ShowArchiverVersion();
  void RestoreFocus();
  // The last good backup's time, or the warning, above the log.
  void ShowBackupAge();

  friend class ui::Window<TForm2>;
  void Attach(HWND hwnd) noexcept { hwnd_ = hwnd; }
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

  ui::Application& app_;
  ui::Dialogs& dialogs_;
  StartupOptions options_;
  run::RunSession& session_;
  HWND hwnd_ = nullptr;
  // 確認 is walking the sources; a click on it again stops the walk.
  bool checking_exclusions_ = false;
  // The run's check put a faulty field in front: it stays there after the run.
  bool fault_shown_ = false;
  // Where the focus was as 実行 was given: the run holds that place off.
  HWND run_focus_ = nullptr;
  // The walk's running count, shown by the clock's timer; its cancel request
  // is the second click.
  ProgressState exclusion_check_;
  // Closed during a run: it goes once the run has ended.
  bool close_after_run_ = false;
  // The control that had the focus when the window was last deactivated.
  HWND focus_ = nullptr;
  TForm3* progress_ = nullptr;
  // The keys that have no control: kept as loaded, saved as they were.
  std::string run_fail_, run_done_;
  bool age_warning_ = false;
  std::unique_ptr<AfterRunEffects> after_run_;
  win::UniqueGdiObject font_, clock_font_, button_font_, grid_font_, path_font_;
  // Runs and the 除外 walk; last, so that it ends before anything it uses goes.
  ui::Worker worker_;
};

// Where the help file lies: a fixed place, the same on every machine.
inline constexpr char kHelpFile[] = "C:\\Yorudex\\Yorudex.HLP";
// The guide that ships beside the program, opened in the browser.
inline constexpr char kGuideFile[] = "使い方.html";
inline constexpr char kApplicationTitle[] = "Yorudex";
// The settings window's client area, which the unattended window copies.
inline constexpr int kSettingsClientWidth = 411;
inline constexpr int kSettingsClientHeight = 319;
inline constexpr char kAuthorName[] = "Yorudex Project";

}  // namespace yx::app
