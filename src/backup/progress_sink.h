#pragma once
// What a backup run tells whoever shows its progress, and the points where
// that one may handle its messages (the abort button, the clock, repaints):
// the run calls LetMessagesThrough exactly there and nowhere else, so a
// window behind it behaves as if the loops were its own.
#include <cstdint>

namespace yx::backup {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;

  // The abort flag: set by the view, read by the run before every
  // directory entry. The run clears it as the backup begins.
  [[nodiscard]] virtual bool& CancelRequested() noexcept = 0;

  // The backup begins, after the settings check, and ends, before the
  // elapsed time is written. `copy_run`: a copy run, which counts its files
  // and reports its progress; an archive run reports none.
  virtual void BackupBegins(bool copy_run) = 0;
  virtual void BackupEnds(bool copy_run) = 0;

  // The running total while the files are counted.
  virtual void ShowCount(int32_t files) = 0;
  // The final count: what the copy's progress is measured against.
  virtual void ShowTotal(int32_t files) = 0;
  // The files handed to the copy so far.
  virtual void ShowCopied(int32_t files) = 0;

  virtual void LetMessagesThrough() = 0;
};

}  // namespace yx::backup
