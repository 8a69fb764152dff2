#pragma once
// What a backup run tells whoever shows its progress. The run goes on a
// thread of its own and never waits for the view: the view's sink
// (StateSink) writes the shared state its window reads on its own time, and
// the abort flag is the state's, which the run reads before every entry.
#include <atomic>
#include <cstdint>
#include <functional>

#include "base/progress_state.h"

namespace yx::backup {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;

  // The abort flag: set by the view, read by the run before every
  // directory entry. The run clears it as the backup begins.
  [[nodiscard]] virtual std::atomic<bool>& CancelRequested() noexcept = 0;

  // The backup begins, after the settings check, and ends, before the
  // elapsed time is written. `copy_run`: a copy run, else an archive run;
  // both count their files and report their progress.
  virtual void BackupBegins(bool copy_run) = 0;
  virtual void BackupEnds(bool copy_run) = 0;

  // The running total while the files are counted.
  virtual void ShowCount(int32_t files) = 0;
  // The final count: what the copy's progress is measured against.
  virtual void ShowTotal(int32_t files) = 0;
  // The files handed to the copy, or taken by the archiver, so far.
  virtual void ShowCopied(int32_t files) = 0;
};

// The reports written into a shared state. `on_stage` runs on the run's
// thread as the backup begins and as it ends, with the state already
// written: where a view posts itself the message that shows or hides it.
class StateSink final : public ProgressSink {
 public:
  using Stage = ProgressState::Stage;
  explicit StateSink(ProgressState& state, std::function<void(Stage)> on_stage = {})
      : state_(state), on_stage_(std::move(on_stage)) {}

  [[nodiscard]] std::atomic<bool>& CancelRequested() noexcept override { return state_.cancel; }
  void BackupBegins(bool copy_run) override {
    copy_run_ = copy_run;
    state_.Begin();
    if (on_stage_) on_stage_(Stage::kCounting);
  }
  void BackupEnds(bool) override {
    state_.stage = Stage::kEnded;
    if (on_stage_) on_stage_(Stage::kEnded);
  }
  void ShowCount(int32_t files) override { state_.counted = files; }
  void ShowTotal(int32_t files) override {
    state_.counted = files;
    state_.total = files;
    state_.stage = copy_run_ ? Stage::kCopying : Stage::kArchiving;
  }
  void ShowCopied(int32_t files) override { state_.files_done = files; }

 private:
  ProgressState& state_;
  std::function<void(Stage)> on_stage_;
  bool copy_run_ = true;
};

}  // namespace yx::backup
