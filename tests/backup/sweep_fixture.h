#pragma once
// A destination folder in a fresh temporary folder, the settings the sweep
// reads, and what it logged.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "backup/sweep.h"
#include "support/temp_folder.h"
#include "support/unix_links.h"

namespace yx::test {

// The sample run: Wednesday 2001-05-23 09:05.
DateTime RunTime();
// Monday to Saturday flagged, Sunday not.
inline constexpr std::array<bool, 7> kSundaysKept = {true, true, true, true, true, true, false};

class SweepTest : public ::testing::Test {
 public:
  SweepTest();
  ~SweepTest() override;

  // The destination root, ending in a backslash; "dest" in the temp folder
  // unless a test picks another name before building anything.
  void UseRoot(std::wstring_view name);
  [[nodiscard]] const std::wstring& Root() const { return root_; }
  [[nodiscard]] std::string RootA() const;
  [[nodiscard]] const TempFolder& Temp() const { return temp_; }

  // Paths relative to the root.
  void Folder(std::wstring_view relative) const;
  void File(std::wstring_view relative, std::string_view bytes = "data") const;
  // Day folders first..last of a month, each with a time folder and a file.
  void Days(std::wstring_view month, int first, int last) const;
  [[nodiscard]] bool Exists(std::wstring_view relative) const;
  [[nodiscard]] std::vector<int> DaysLeft(std::wstring_view month) const;

  // The forced and the selective rule, `days` before the run.
  void Forced(int days);
  void Selective(int days, std::array<bool, 7> flags);

  // Runs the sweep; returns the lines it logged, sorted.
  std::vector<std::string> Sweep();
  // Expected log line for a path relative to the root.
  [[nodiscard]] std::string Deleted(std::wstring_view relative) const;
  // The line of a backup the sweep could not remove wholly, for `error`.
  [[nodiscard]] std::string NotDeleted(std::wstring_view relative, DWORD error) const;
  // Whichever of the two is true of it now, without the reason that
  // depends on the platform's links: compare with WithoutReasons.
  [[nodiscard]] std::string DeletedIfGone(std::wstring_view relative) const;
  [[nodiscard]] static std::vector<std::string> WithoutReasons(std::vector<std::string> lines);
  [[nodiscard]] std::vector<std::string> DeletedAll(std::vector<std::wstring> relative) const;

  // A Linux symbolic link made through the Wine-visible paths (real links on
  // Windows). False when the platform cannot make one.
  bool MakeLink(const std::wstring& link, const std::wstring& target);

  backup::SweepContext context_;
  std::atomic<bool> cancel_{false};
  std::array<bool, 7> flags_{};
  std::function<void(const std::string&)> on_log_;
  std::function<void(int)> on_weekday_;
  // Sweep() first makes a backup in 0112\01, newer than any of the case's.
  bool newer_backup_ = true;

 private:
  TempFolder temp_;
  std::wstring root_;
  UnixLinks links_;
};

[[nodiscard]] std::wstring TwoDigits(int n);

}  // namespace yx::test
