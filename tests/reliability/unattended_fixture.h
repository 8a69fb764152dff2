#pragma once
// A copy of the real program in a fresh folder with a source tree and a
// destination, run unattended; every run is checked for what must hold
// whatever the fault: it ended by itself with the expected exit status,
// showed no dialog, left the sources as they were and deleted nothing but
// the backups the test names as expired.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "reliability/case_report.h"
#include "reliability/child_program.h"
#include "reliability/run_lines.h"
#include "reliability/run_texts.h"
#include "reliability/tree_snapshot.h"

namespace yx::test {

struct RunExpectations {
  // Unset: 0 when the run's outcome line is "バックアップ正常終了", 2 otherwise,
  // which is what the scheduler must be told.
  std::optional<DWORD> exit_code;
  bool killed = false;               // the test kills the run on purpose
  std::vector<std::wstring> gone;    // relative paths the sweep must remove
  std::vector<std::wstring> may_go;  // relative paths the sweep may have begun to remove
};
[[nodiscard]] inline RunExpectations ExitStatus(DWORD code) {
  RunExpectations e;
  e.exit_code = code;
  return e;
}
[[nodiscard]] inline RunExpectations Sweeps(std::vector<std::wstring> gone) {
  RunExpectations e;
  e.gone = std::move(gone);
  return e;
}
[[nodiscard]] inline RunExpectations KilledRun(std::vector<std::wstring> may_go = {}) {
  RunExpectations e;
  e.killed = true;
  e.may_go = std::move(may_go);
  return e;
}

class UnattendedTest : public ::testing::Test {
 protected:
  UnattendedTest();

  // src\<name> with a few files and a sub-folder; returns its CP932 path.
  std::string SourceTree(const std::wstring& name);
  // TO = the destination folder, FROM00 = src\Work (made when missing),
  // LINK_USE = 0; `more` adds keys or replaces those.
  void Settings(const IniKeys& more = {});
  // Runs once and checks what must always hold.
  ChildOutcome Run(const RunExpectations& expect = {}, std::string_view now = kNow,
                   std::function<bool()> kill_when = {});
  // The same for the window-free run in this process, with the settings
  // file's values and its log saved where the program saves it: for cases
  // about what the run does, whose settings pass the check.
  ChildOutcome RunHere(const RunExpectations& expect = {}, std::string_view now = kNow);

  // The status a run must end with, by the outcome line of the last run in
  // the log of the month of `now`.
  [[nodiscard]] DWORD StatusOfLastRun(std::string_view now) const;

  [[nodiscard]] std::string Dest() const { return dir.PathA() + "dest"; }
  [[nodiscard]] std::string Log() const { return program.Log(L"0105"); }
  [[nodiscard]] Tree Backup(std::wstring_view relative) const;
  [[nodiscard]] Tree Source(std::wstring_view name = L"Work") const;

  ProgramFolder program;
  const TempFolder& dir;

 private:
  ChildOutcome Checked(const RunExpectations& expect, std::string_view now,
                       const std::function<ChildOutcome()>& run);
};

}  // namespace yx::test
