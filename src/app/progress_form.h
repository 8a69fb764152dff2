#pragma once
// The progress window of a run: the view of a run's progress sink. It is
// created hidden once per process and shown by each run, copy or archive.
//
// The run goes on a thread of its own. Each report it makes is handed to
// this window's thread and shown there before the run goes on; the abort
// button sets a flag the run reads before every entry. The window's clock,
// its repaints and the button are the window's own loop's.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "backup/progress_sink.h"
#include "base/date_time.h"
#include "ui/application.h"
#include "ui/gauge.h"
#include "ui/label.h"
#include "ui/window.h"
#include "win/unique_handle.h"

namespace yx::app {

// The progress window of a copy run, Backup 処理中.
class TForm3 final : public backup::ProgressSink, private ui::Window<TForm3> {
 public:
  static constexpr UINT_PTR kTimerId = 1;
  static constexpr UINT kTimerInterval = 1000;

  // `cancel_requested` is the settings window's flag: the abort button sets
  // it, the run reads it before every directory entry.
  TForm3(ui::Application& app, std::atomic<bool>& cancel_requested);
  ~TForm3() override;
  TForm3(const TForm3&) = delete;
  TForm3& operator=(const TForm3&) = delete;

  // Resets the gauge, starts the clock and the timer, shows the window on
  // top. `title_progress`: the timer also writes the percentage into the
  // application title (the unattended run).
  void StartProgress(bool title_progress);
  // Stops the timer and hides the window; the title is left as it is.
  void StopProgress();
  void TimerTimer();
  // Requests the cancel and hides the window; the timer runs on.
  void BtnAbortClick();
  // Told when a backup begins (true) and ends (false), for the settings
  // window to hold its pages meanwhile.
  void OnBackup(std::function<void(bool busy)> busy) { on_backup_ = std::move(busy); }

  // The progress sink, called from the run's thread. A run shows the window
  // (with the title's percentage when TitleProgress is set) from its start
  // to its end.
  [[nodiscard]] std::atomic<bool>& CancelRequested() noexcept override { return cancel_requested_; }
  void BackupBegins(bool copy_run) override;
  void BackupEnds(bool copy_run) override;
  void ShowCount(int32_t files) override;
  void ShowTotal(int32_t files) override;
  void ShowCopied(int32_t files) override;

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

  friend class ui::Window<TForm3>;
  void Attach(HWND hwnd) noexcept { window_ = hwnd; }
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

  ui::Application& app_;
  std::atomic<bool>& cancel_requested_;
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
