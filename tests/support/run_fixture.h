#pragma once
// The window-free backup run in this process: real folders in a fresh
// temporary folder, a clock that stands where the test puts it, and a
// progress sink that records what the run shows and acts where it reports.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "backup/run.h"
#include "log/run_log.h"
#include "settings/settings.h"
#include "support/temp_folder.h"

namespace yx::test {

// The milliseconds a copy run reads to pace its refreshes, 25 more at every
// reading, which comes once per file copied: the copied count is shown
// after every fourth file whatever the machine's speed.
[[nodiscard]] inline std::function<uint64_t()> SteppedTicks() {
  return [ms = uint64_t{0}]() mutable { return ms += 25; };
}

class RecordingSink final : public backup::ProgressSink {
 public:
  // Every call but the count's running total, as "begin copy", "total 8",
  // "copied 4", "report", "end".
  std::vector<std::string> events;
  int32_t count = 0;
  int32_t total = -1;
  int32_t copied = 0;
  std::atomic<bool> cancel{false};
  // Run at every report, after it is recorded.
  std::function<void()> on_messages;

  // As a click on the abort button, taken by the window once it has shown
  // this report (when pressed from on_messages) or the next one.
  void PressAbort() { abort_pressed_ = true; }

  std::atomic<bool>& CancelRequested() noexcept override { return cancel; }
  void BackupBegins(bool copy_run) override {
    events.push_back(copy_run ? "begin copy" : "begin archive");
    Reported();
  }
  void BackupEnds(bool) override { events.push_back("end"); }
  void ShowCount(int32_t files) override {
    count = files;
    Reported();
  }
  void ShowTotal(int32_t files) override {
    total = files;
    events.push_back("total " + std::to_string(files));
    Reported();
  }
  void ShowCopied(int32_t files) override {
    copied = files;
    events.push_back("copied " + std::to_string(files));
    Reported();
  }

 private:
  void Reported() {
    events.push_back("report");
    if (on_messages) on_messages();
    if (abort_pressed_) cancel = true;
    abort_pressed_ = false;
  }
  bool abort_pressed_ = false;
};

class RunTest : public ::testing::Test {
 protected:
  RunTest();

  // src\Work: `folders` sub-folders d1..dN, each holding `files` files, and
  // as many at the top when `top_files`; the first source.
  void SourceTree(int folders, int files, bool top_files = true);
  // One run at `now`, its lines appended to `log`; the log's text.
  std::string Run();
  [[nodiscard]] std::string Dest() const { return dir.PathA() + "dest"; }

  TempFolder dir;
  settings::Settings settings;
  RecordingSink sink;
  log::RunLog log;
  backup::RunRequest request;  // the settings go in at Run
  DateTime now = EncodeDateTime(2001, 5, 23, 9, 5);
  // Added at every reading of the clock.
  DateTime step = 0;
  backup::RunOutcome outcome = backup::RunOutcome::kRefused;
  int total_files = 0;
};

}  // namespace yx::test
