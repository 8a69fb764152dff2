#pragma once
// What a backup run tells whoever shows its progress. The run goes on a
// thread of its own: the view takes each report on its window's thread and
// sets the abort flag from there, which the run reads before every entry.
#include <atomic>
#include <cstdint>

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

}  // namespace yx::backup
