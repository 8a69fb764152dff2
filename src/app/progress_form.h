#pragma once
// The progress window of a run: the view of a run's progress. It is created
// hidden once per process and shown by each run, copy or archive.
//
// The run goes on a thread of its own and writes its counts into a shared
// state (base/progress_state.h) through the window's sink, never waiting for
// this window: the window reads them on its timer, and shows or hides itself
// on the message the run posts as the backup begins and ends. The abort
// button sets the state's cancel request, which the run reads before every
// entry.
#include <windows.h>

#include <functional>
#include <string>

#include "backup/progress_sink.h"
#include "base/date_time.h"
#include "base/progress_state.h"
#include "ui/application.h"
#include "ui/gauge.h"
#include "ui/label.h"
#include "ui/window.h"
#include "win/unique_handle.h"

namespace yx::app {

// The progress window of a copy run, Backup 処理中.
class TForm3 final : private ui::Window<TForm3> {
 public:
  static constexpr UINT_PTR kTimerId = 1;
  // Often enough for the gauge to move as smoothly as the copy goes; the
  // clock shows whole seconds whatever the interval.
  static constexpr UINT kTimerInterval = 100;

  explicit TForm3(ui::Application& app);
  ~TForm3();
  TForm3(const TForm3&) = delete;
  TForm3& operator=(const TForm3&) = delete;

  // Resets the gauge, starts the clock and the timer, shows the window on
  // top. `title_progress`: the timer also writes the percentage into the
  // application title (the unattended run).
  void StartProgress(bool title_progress);
  // Shows the state a last time, stops the timer and hides the window; the
  // title is left as it is.
  void StopProgress();
  // The counts, the gauge and the title's percentage from the state, and the
  // elapsed time.
  void TimerTimer();
  // Requests the cancel and hides the window; the timer runs on.
  void BtnAbortClick();
  // Told when a backup begins (true) and ends (false), for the settings
  // window to hold its pages meanwhile.
  void OnBackup(std::function<void(bool busy)> busy) { on_backup_ = std::move(busy); }

  // The run's sink, called from the run's thread. A run shows the window
  // (with the title's percentage when TitleProgress is set) from its start
  // to its end.
  [[nodiscard]] backup::ProgressSink& Sink() noexcept { return sink_; }
  [[nodiscard]] ProgressState& State() noexcept { return state_; }

  DateTime StartTime = 0;  // time of day only, as a fraction of a day
  bool TitleProgress = false;

  [[nodiscard]] HWND Handle() const noexcept { return window_; }
  [[nodiscard]] const ui::Gauge& Gauge() const noexcept { return gauge_; }
  [[nodiscard]] ui::Gauge& Gauge() noexcept { return gauge_; }
  [[nodiscard]] HWND BtnAbort() const noexcept { return btn_abort_; }
  [[nodiscard]] const ui::Label& LblFileAll() const noexcept { return lbl_file_all_; }
  [[nodiscard]] const ui::Label& LblTimeAll() const noexcept { return lbl_time_all_; }

 private:
  void FormCreate();
  void CreateLabel(ui::Label& label, std::string_view cp932_text, int left, int top);
  void SetLabelText(ui::Label& label, std::string_view cp932_text);
  void FitToText(const ui::Label& label);
  void ShowState();
  void StageChanged(ProgressState::Stage stage);

  friend class ui::Window<TForm3>;
  void Attach(HWND hwnd) noexcept { window_ = hwnd; }
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

  ui::Application& app_;
  ProgressState state_;
  backup::StateSink sink_;
  std::function<void(bool)> on_backup_;
  HWND window_ = nullptr;
  HWND btn_abort_ = nullptr;
  win::UniqueGdiObject font_;
  win::UniqueGdiObject bold_font_;
  ui::Label lbl_file_all_caption_;
  ui::Label lbl_file_all_;
  ui::Label lbl_time_all_caption_;
  ui::Label lbl_time_all_;
  ui::Gauge gauge_;
};

}  // namespace yx::app
