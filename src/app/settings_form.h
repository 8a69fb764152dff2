#pragma once
// The settings window: every setting as a control, the six command buttons,
// the clock and the run log view. It owns the program's state for the life of
// the process.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/after_run.h"
#include "base/date_time.h"
#include "log/run_log.h"
#include "settings/settings_file.h"
#include "ui/application.h"
#include "ui/check_box.h"
#include "ui/check_list.h"
#include "ui/dialogs.h"
#include "ui/flat_button.h"
#include "ui/label.h"
#include "ui/memo.h"
#include "ui/page_control.h"
#include "ui/spin_box.h"
#include "ui/string_grid.h"
#include "ui/text_edit.h"
#include "ui/window.h"
#include "win/unique_handle.h"

namespace yx::app {

class TForm3;

struct StartupOptions {
  std::wstring exe_path;          // full path of the executable
  std::vector<std::string> args;  // command-line arguments, CP932, without the program
};

// Pages of `Page`, in tab order.
enum PageIndex { SheetTime = 0, SheetPath = 1, SheetArc = 2, SheetLOG = 3 };

// The settings window, 起動日時設定: the program's main window.
class TForm2 final : private ui::Window<TForm2> {
 public:
  TForm2(ui::Application& app, ui::Dialogs& dialogs, StartupOptions options);
  ~TForm2();
  TForm2(const TForm2&) = delete;
  TForm2& operator=(const TForm2&) = delete;

  [[nodiscard]] HWND Handle() const noexcept { return hwnd_; }

  // State, in declared order.
  bool ArchiverPresent = false;
  bool AutoMode = false;
  DateTime DelLimit = 0;
  DateTime KillLimit = 0;
  bool Modified = false;
  bool CancelRequested = false;
  std::string AppDir;
  std::string LogFile;
  std::string LogDir;

  // Commands and handlers. The run's sender is null for the unattended start.
  void BtnExecClick(const ui::Control* sender);
  void BtnSetClick();
  void BtnHelpClick();
  void BtnVerClick();
  void BtnExitClick();
  void BtnMinClick();
  void RdoDelDClick();
  void RdoKillDClick();
  void ChkTime1Click();
  void ChkTime2Click();
  void ListWeekClickCheck();
  void GridTimeSetEditText(int col, int row, const std::string& text);
  void HandleDropFiles(MSG& msg, bool& handled);
  void TimerTimer();

  [[nodiscard]] bool CheckAndSaveSettings(DateTime reference);

  // The settings record and the controls: the one copy into them and the one
  // copy out of them. The controls hold the live record between the two.
  void ShowSettings(const settings::Settings& settings);
  [[nodiscard]] settings::Settings ShownSettings() const;

  // The run log and the two forms of appending to it.
  void LogLine(std::string_view message) { log_.LogLine(message); }
  void AppendLog(std::string_view line) { log_.Append(line); }
  [[nodiscard]] log::RunLog& RunLog() noexcept { return log_; }

  [[nodiscard]] std::string SettingsFile() const;
  // Reports an error of the file layer: a message box, or in unattended mode
  // a line of the run log, since nobody may be there to close a box.
  void ReportFileError(const std::string& cp932_message);
  // The progress window is created after this one and handed over here.
  void AttachProgressForm(TForm3& progress);
  // The milliseconds a copy run reads to pace its progress refreshes;
  // GetTickCount64 unless a test steps them.
  void SetTicksForTesting(std::function<uint64_t()> ticks) { ticks_ = std::move(ticks); }
  // What leaves the process after a run (the command, the notification).
  void SetAfterRunEffects(std::unique_ptr<AfterRunEffects> effects) {
    after_run_ = std::move(effects);
  }
  // 0; in an unattended run kRunFailed when it did not end with
  // "バックアップ正常終了" (it failed, was stopped, or was refused: by the
  // check, or because another run was in progress), and 1 when it could not
  // save its log. The scheduler shows it as the task's last result.
  static constexpr int kRunFailed = 2;
  [[nodiscard]] int ExitStatus() const noexcept { return exit_status_; }

  // Controls, each named by its kind and its role.
  ui::Label LblTimeCaption, LblTime;
  ui::FlatButton BtnSet, BtnHelp, BtnExit, BtnExec, BtnVer, BtnMin;
  ui::PageControl Page;
  ui::GroupBox BoxWeek, BoxTime, BoxTime2, BoxLha, BoxDel, BoxKill;
  ui::CheckList ListWeek, ListDel;
  ui::CheckBox ChkTime1, ChkTime2, ChkLha, ChkDel, ChkKill;
  ui::StringGrid GridTime, EditFrom;
  ui::SpinBox SpinSatH, SpinSatM, SpinSpan, SpinDel, SpinKill, SpinWarn;
  ui::Label LblSatH, LblSatM, LblFrom, LblSpanHead, LblSpan;
  ui::TextEdit EditTo;
  ui::Label LblTo, LblFromCaption, LblLhaCaption, LblLhaVer, LblDel, LblKill;
  ui::Label LblWarn, LblWarnUnit, LblAge;
  ui::RadioButton RdoDelD, RdoDelM, RdoKillD, RdoKillM;
  ui::Memo MemoLog;

 private:
  void CreateWindowAndControls();
  void CreateTopStrip();
  void CreateTimePage(HWND page);
  void CreatePathPage(HWND page);
  void CreateArcPage(HWND page);
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
  void ShowFaultPage(PageIndex page, const ui::Control& focus);
  void Report(const std::string& cp932_message);
  void HoldCommands(bool hold);
  void RestoreFocus();
  void EndRun(std::string_view failure_line);
  void SaveRunLog();
  void ReloadRunLog();
  void RefuseBusyRun();
  // The command and the notification after a run whose lines are `run_lines`.
  void FollowUpRun(backup::RunOutcome outcome, std::string_view run_lines);
  // The last good backup's time, or the warning, above the log.
  void ShowBackupAge();

  friend class ui::Window<TForm2>;
  void Attach(HWND hwnd) noexcept { hwnd_ = hwnd; }
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

  ui::Application& app_;
  ui::Dialogs& dialogs_;
  StartupOptions options_;
  HWND hwnd_ = nullptr;
  log::RunLog log_;
  bool running_ = false;
  // The control that had the focus when the window was last deactivated.
  HWND focus_ = nullptr;
  TForm3* progress_ = nullptr;
  std::function<uint64_t()> ticks_ = [] { return ::GetTickCount64(); };
  int exit_status_ = 0;
  // The keys that have no control: kept as loaded, saved as they were.
  std::string run_fail_, run_done_;
  bool age_warning_ = false;
  std::unique_ptr<AfterRunEffects> after_run_;
  win::UniqueGdiObject font_, clock_font_, button_font_, grid_font_, path_font_;
};

// Where the help file lies: a fixed place, the same on every machine.
inline constexpr char kHelpFile[] = "C:\\Yorudex\\Yorudex.HLP";
inline constexpr char kApplicationTitle[] = "Yorudex";
inline constexpr char kAuthorName[] = "Yorudex Project";

}  // namespace yx::app
