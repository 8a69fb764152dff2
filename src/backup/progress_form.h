#pragma once
// The progress window of a copy run and the tree operations that report to
// it: counting a source tree, publishing the total, copying a tree. It is
// created hidden once per process and shown by each copy run.
//
// Long loops here run on the GUI thread and let messages through only at fixed
// points (entry to a folder, before descending into a sub-folder, after a
// gauge refresh, the end of a timer tick, and while a large file is copied):
// that is where the abort button, the clocks and repaints run, nested inside
// the loop. The copies themselves may run on threads of the copy's own
// (copy_queue.h), which touch no window.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/date_time.h"
#include "ui/application.h"
#include "ui/gauge.h"
#include "ui/label.h"
#include "ui/window.h"
#include "win/tree_walk.h"
#include "win/unique_handle.h"

namespace yx::backup {

// The progress window of a copy run, Backup 処理中.
class TForm3 : private ui::Window<TForm3> {
 public:
  static constexpr UINT_PTR kTimerId = 1;
  static constexpr UINT kTimerInterval = 1000;
  // Copies in flight in a copy run. A second copy thread won in some runs of
  // the copy benchmark under load and lost in others (bench/copy-bench.sh,
  // THREADS="1 2" compares them): one at a time until it wins in all.
  static constexpr int kCopyThreads = 1;

  // `cancel_requested` is the settings window's flag: the abort button sets
  // it, the loops read it before every directory entry.
  TForm3(ui::Application& app, bool& cancel_requested);
  ~TForm3();
  TForm3(const TForm3&) = delete;
  TForm3& operator=(const TForm3&) = delete;

  // Resets the counters and the gauge, starts the clock and the timer, shows
  // the window on top. `title_progress`: the timer also writes the
  // percentage into the application title (the unattended run).
  void StartProgress(bool title_progress);
  // Stops the timer and hides the window; the title is left as it is.
  void StopProgress();
  void TimerTimer();
  // Requests the cancel and hides the window; the timer runs on.
  void BtnAbortClick();

  // Adds the files below `folder` (ending in a backslash) to FileTotal.
  // False only when cancelled; the partial total stays.
  [[nodiscard]] bool CountFiles(const std::wstring& folder);
  // Shows FileTotal and makes it the gauge's maximum.
  void SetFileTotal();
  // Copies the tree below `source` into the existing folder `destination`
  // (both ending in a backslash), never overwriting. Whatever cannot be
  // listed, read or written is reported to `fault` with the system's error
  // and left out, and the copy goes on with the rest; a file whose copy
  // failed never stays in the backup under its name. False when anything
  // was left out, or when cancelled (the copy then hands out no more files
  // and waits for those it handed out); what was copied stays. Failures are
  // reported in the walk's order, however many files are copied at once.
  [[nodiscard]] bool CopyTree(const std::wstring& destination, const std::wstring& source,
                              const std::function<void(const std::wstring&, DWORD)>& fault = {});
  // How many files CopyTree copies at once (at least 1: one after another on
  // this thread).
  void SetCopyThreads(int threads);
  [[nodiscard]] int CopyThreads() const noexcept { return copy_threads_; }
  // The milliseconds the gauge's refresh by time reads; GetTickCount64 unless
  // a test steps them.
  void SetTicksForTesting(std::function<uint64_t()> ticks);
  // A folder the count and the copy never enter: the backup destination,
  // which a source may hold, would otherwise be copied into itself.
  void ExcludeFolder(const std::wstring& folder);

  int32_t FileTotal = 0;
  int32_t FilesCopied = 0;
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
  void ShowFileTotal();

  // A link back into the walk's path, or the excluded folder.
  [[nodiscard]] bool LeftOut(win::TreeWalk& walk);
  void RefreshGauge();
  // True, once, when the last refresh by time is long enough ago.
  [[nodiscard]] bool RefreshDue();
  [[nodiscard]] bool Excluded(const std::wstring& folder) const;

  friend class ui::Window<TForm3>;
  void Attach(HWND hwnd) noexcept { window_ = hwnd; }
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

  ui::Application& app_;
  bool& cancel_requested_;
  std::optional<win::FolderId> excluded_;
  int copy_threads_ = kCopyThreads;
  std::function<uint64_t()> ticks_ = [] { return ::GetTickCount64(); };
  uint64_t last_refresh_ = 0;
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

}  // namespace yx::backup
