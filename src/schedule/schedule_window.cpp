#include "schedule/schedule_window.h"

#include <optional>

#include "schedule/registered_task.h"
#include "schedule/task_xml.h"
#include "ui/dpi.h"
#include "ui/font.h"
#include "win/clock.h"
#include "win/text.h"

namespace yx::schedule {
namespace {
constexpr wchar_t kClassName[] = L"YorudexSchedule";
constexpr int kClientWidth = 480;
constexpr int kClientHeight = 326;

// The last run, and a warning when the registered schedule cannot explain
// the time since: the machine was off, the task disabled, or it fails to start.
std::string LastRunLines(const RegisteredTask& task) {
  std::string lines = DescribeLastRun(task.last_run);
  const std::optional<LaunchPlan> plan =
      task.unreadable || task.other_triggers ? std::nullopt : PlanFromTriggers(task.triggers);
  const std::string overdue = plan ? OverdueWarning(task.last_run, *plan, win::Now()) : "";
  if (!overdue.empty()) lines += "\r\n" + overdue;
  return lines;
}

}  // namespace

void WrappedText::Create(HWND parent, RECT bounds, HFONT font) {
  CreateChild(parent, L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, bounds);
  SetFont(font);
}

void WrappedText::SetCaption(std::string_view cp932_caption) {
  if (caption_ == cp932_caption) return;
  caption_ = std::string(cp932_caption);
  ui::SetWindowTextCp932(hwnd_, caption_);
}

ScheduleWindow::ScheduleWindow(ui::Application& app, ui::Dialogs& dialogs, std::wstring exe_path)
    : app_(app), dialogs_(dialogs), exe_path_(std::move(exe_path)) {
  CreateControls();
  BtnRegister.on_click = [this] {
    TaskService tasks;
    Act(RegisterTask(ReadWanted(exe_path_), tasks));
  };
  BtnRemove.on_click = [this] {
    TaskService tasks;
    Act(RemoveTask(wanted_.TaskName(), tasks));
  };
  BtnClose.on_click = [this] { ::DestroyWindow(hwnd_); };
  app_.SetMainWindow(hwnd_);
  Refresh();
  app_.ShowTaskbarEntry();
  ::ShowWindow(hwnd_, SW_SHOWNORMAL);
  ::UpdateWindow(hwnd_);
  (BtnRegister.Enabled() ? BtnRegister : BtnClose).SetFocus();
}

ScheduleWindow::~ScheduleWindow() {
  // Gone with the object: its WM_DESTROY would end the message loop.
  if (hwnd_) DestroyUnbound(hwnd_);
}

void ScheduleWindow::CreateControls() {
  RegisterClassOnce(app_.Instance(), kClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  CreateCentred(this, app_.Instance(), app_.Handle(), kClassName, win::ToWide(kTitle).c_str(),
                style, 0, kClientWidth, kClientHeight);
  font_ = ui::MakeFont(ui::kFacePGothic, 12);
  const HFONT font = ui::AsFont(font_);
  LblFile.Create(hwnd_, {12, 10, 468, 56}, font);
  LblWantedCaption.Create(hwnd_, "設定ファイルから登録する内容:", {12, 62, 468, 78}, font);
  LblWanted.Create(hwnd_, {24, 80, 468, 126}, font);
  LblNowCaption.Create(hwnd_, "タスク スケジューラにいま登録されている内容:", {12, 132, 468, 148},
                       font);
  LblNow.Create(hwnd_, {24, 150, 468, 182}, font);
  LblLastRun.Create(hwnd_, {24, 186, 468, 222}, font);
  LblDiffer.Create(hwnd_, {12, 230, 468, 276}, font);
  BtnRegister.Create(hwnd_, "登録", {208, 288, 288, 316}, font);
  BtnRemove.Create(hwnd_, "解除", {298, 288, 378, 316}, font);
  BtnClose.Create(hwnd_, "閉じる", {388, 288, 468, 316}, font);
}

void ScheduleWindow::Refresh() {
  wanted_ = ReadWanted(exe_path_);
  const std::string& fault = wanted_.plan.fault;
  LblFile.SetCaption("設定ファイル: " + wanted_.folder_cp932 +
                     "Yorudex.INI\r\nタスク名: " + win::FromWide(wanted_.TaskName()));
  LblWanted.SetCaption(fault.empty() ? Describe(wanted_.plan.plan) : "登録できません。" + fault);
  TaskService tasks;
  std::string failure;
  std::optional<RegisteredTask> registered;
  if (ConnectTasks(tasks, failure)) {
    if (const HRESULT hr = tasks.Read(wanted_.TaskName(), registered); FAILED(hr))
      failure = "登録を読み取れません (" + ErrorText(hr) + ")";
  }
  if (!failure.empty())
    LblNow.SetCaption(failure);
  else
    LblNow.SetCaption(registered ? DescribeRegistered(*registered) : "登録されていません。");
  LblLastRun.SetCaption(registered ? LastRunLines(*registered) : "");
  std::string differ;
  if (failure.empty() && registered && fault.empty()) {
    const std::u16string folder(reinterpret_cast<const char16_t*>(wanted_.folder.data()),
                                wanted_.folder.size());
    if (registered->unreadable)
      differ =
          "※ 登録の中身を確かめられません。設定を変えて保存したら「登録」で登録し直してください。";
    else if (SameTask(*registered, wanted_.plan.plan, folder))
      differ = "設定ファイルと登録は同じです。";
    else
      differ =
          "※ 設定ファイルと登録が違います。「登録」を押すと設定ファイルのとおりに登録し直します。";
  } else if (failure.empty() && fault.empty()) {
    differ = "※ まだ登録されていません。「登録」を押すと上の内容で登録します。";
  } else if (registered) {
    differ = "※ 設定ファイルを直すまで、いまの登録はそのままです。";
  }
  LblDiffer.SetCaption(differ);
  BtnRegister.SetEnabled(fault.empty());
  BtnRemove.SetEnabled(registered.has_value());
}

void ScheduleWindow::Act(const std::string& failure) {
  if (!failure.empty()) dialogs_.ShowMessage(hwnd_, app_.Title(), failure);
  Refresh();
}

LRESULT ScheduleWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      // Escape, as the dialog manager hands it on.
      if (LOWORD(wp) == IDCANCEL && lp == 0) ::DestroyWindow(hwnd_);
      return 0;
    case WM_ACTIVATE:
      // Back from saving the settings in Yorudex: show where they now stand.
      if (LOWORD(wp) != WA_INACTIVE && !::IsIconic(hwnd_) && LblFile.Handle()) Refresh();
      return ::DefWindowProcW(hwnd_, msg, wp, lp);
    // Moved to a screen of another scale: its font made for it, and laid
    // out again from the design where Windows suggests.
    case WM_DPICHANGED:
      ui::RemakeFont(hwnd_, font_, ui::kFacePGothic, 12, false, HIWORD(wp));
      ui::Relayout(hwnd_, HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_CLOSE:
      ::DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      app_.Terminate();
      return 0;
    default:
      return ::DefWindowProcW(hwnd_, msg, wp, lp);
  }
}

}  // namespace yx::schedule
