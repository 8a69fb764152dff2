#pragma once
// The window-free run in this process, for faults that must strike between
// two steps of one run: the sink sees every point where the run lets
// messages through, and the run log's append sees every line as it is
// written, so a test acts at an exact point of the run.
#include <functional>
#include <string>
#include <vector>

#include "reliability/case_report.h"
#include "reliability/run_lines.h"
#include "reliability/tree_snapshot.h"
#include "support/run_fixture.h"

namespace yx::test {

class InRunTest : public RunTest {
 protected:
  InRunTest();

  [[nodiscard]] Tree Copy() const { return Snapshot(dir.Path() + L"dest\\0105\\23\\0905\\Work"); }
  [[nodiscard]] Tree Sources() const { return Snapshot(dir.Path() + L"src\\Work"); }

  // Called for every point where the run lets messages through.
  std::function<void()>& on_message = sink.on_messages;
  // Called for every line appended to the run log.
  std::function<void(std::string_view line)> on_line;
};

}  // namespace yx::test
