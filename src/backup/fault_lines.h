#pragma once
// The log lines of a run that could not back up everything: one line per
// file or folder that could not be read or written, naming its path and the
// system's reason, so the user knows what is missing from the backup. A tree
// where thousands of files fail would bury the log, so only the first lines
// are written and the rest are counted.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "win/fault_line.h"

namespace yx::backup {

class FaultLines {
 public:
  static constexpr size_t kShown = 100;

  // `log_line` appends one CP932 message to the run log (a tab goes before it).
  explicit FaultLines(std::function<void(std::string_view)> log_line)
      : log_line_(std::move(log_line)) {}

  void Add(std::string_view cp932_line);
  void Add(std::wstring_view path, DWORD error) { Add(win::FaultLine(path, error)); }
  // The line that counts what was left out, if anything was.
  void Finish();
  [[nodiscard]] size_t Count() const noexcept { return count_; }

 private:
  std::function<void(std::string_view)> log_line_;
  size_t count_ = 0;
};

}  // namespace yx::backup
