#pragma once
// The companion's one window: what the settings would register, what the
// Task Scheduler holds now, a line when the two differ, and the buttons
// 登録, 解除 and 閉じる.
#include <windows.h>

#include <string>

#include "schedule/companion.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/label.h"
#include "ui/push_button.h"
#include "ui/window.h"
#include "win/unique_handle.h"

namespace yx::schedule {

// A static text that wraps its lines at the control's width.
class WrappedText : public ui::Control {
 public:
  void Create(HWND parent, RECT bounds, HFONT font);
  void SetCaption(std::string_view cp932_caption);
  [[nodiscard]] const std::string& Caption() const noexcept { return caption_; }

 private:
  std::string caption_;
};

// The companion's one window, Yorudex 起動スケジュール.
class ScheduleWindow : private ui::Window<ScheduleWindow> {
 public:
  ScheduleWindow(ui::Application& app, ui::Dialogs& dialogs, std::wstring exe_path);
  ~ScheduleWindow();
  ScheduleWindow(const ScheduleWindow&) = delete;
  ScheduleWindow& operator=(const ScheduleWindow&) = delete;

  // Reads the settings and the registered task again and shows both.
  void Refresh();

  ui::Label LblWantedCaption, LblNowCaption;
  WrappedText LblFile, LblWanted, LblNow, LblLastRun, LblDiffer;
  ui::PushButton BtnRegister, BtnRemove, BtnClose;

 private:
  void CreateControls();
  void Act(const std::string& failure);
  friend class ui::Window<ScheduleWindow>;
  void Attach(HWND hwnd) noexcept { hwnd_ = hwnd; }
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

  ui::Application& app_;
  ui::Dialogs& dialogs_;
  std::wstring exe_path_;
  Wanted wanted_;
  HWND hwnd_ = nullptr;
  win::UniqueGdiObject font_;
};

}  // namespace yx::schedule
