#pragma once
// The real settings and progress windows in this process, for faults that
// must strike between two steps of one run: the application's message hook
// sees every message the run lets through, and the run log's append sees
// every line as it is written, so a test acts at an exact point of the run.
#include <functional>
#include <string>
#include <vector>

#include "reliability/case_report.h"
#include "reliability/run_lines.h"
#include "reliability/tree_snapshot.h"
#include "support/form_fixture.h"

namespace yx::test {

class InRunTest : public FormTest {
 protected:
  const DateTime when = EncodeDateTime(2001, 5, 23, 9, 5);

  void SetUp() override;

  // src\Work: `folders` sub-folders d1..dN, each holding `files` files, and
  // as many at the top when `top_files`.
  void SourceTree(int folders, int files, bool top_files = true);
  // Starts the window unattended with the destination and src\Work as source.
  void StartUnattended();
  // Runs through the Run command as the unattended start does; returns the log.
  std::string Run();

  [[nodiscard]] Tree Copy() const { return Snapshot(dir.Path() + L"dest\\0105\\23\\0905\\Work"); }
  [[nodiscard]] Tree Sources() const { return Snapshot(dir.Path() + L"src\\Work"); }
  [[nodiscard]] std::string Dest() const { return dir.PathA() + "dest"; }
  // Posts a click on the abort button, as a user's click arrives.
  void PressAbort() const;

  // Called for every message the run lets through, before it is dispatched.
  std::function<void(const MSG&)> on_message;
  // Called for every line appended to the run log.
  std::function<void(std::string_view line)> on_line;
  int total_files = 0;
};

}  // namespace yx::test
