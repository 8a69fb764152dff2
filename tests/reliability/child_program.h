#pragma once
// The real program in a folder of its own, started unattended as a scheduler
// would start it, watched while it runs: a dialog of its process, a hang past
// the time limit, or a condition the test names (to kill it at a chosen
// moment) all end the watch.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/temp_folder.h"

namespace yx::test {

struct ChildOutcome {
  bool finished = false;  // ended by itself
  bool killed = false;    // ended by the test: the hang limit or `kill_when`
  bool dialog = false;    // a window of class #32770 belonged to the process
  DWORD exit_code = 0;
};

// Key lines of a settings file, CP932 bytes, in the given order.
using IniKeys = std::vector<std::pair<std::string, std::string>>;

class ProgramFolder {
 public:
  // `test_clock`: the build whose clock starts at YX_TEST_NOW.
  explicit ProgramFolder(bool test_clock = true);

  // Starts "Yorudex.exe /AUTO" with its clock at `now` ("yyyy-mm-dd hh:nn:ss").
  // `kill_when` is looked at while the program runs, every 10 ms and the
  // moment it reaches the pause point of PauseAt; when it turns true the
  // process is killed at once. A run longer than `limit_ms` is a hang.
  ChildOutcome RunAuto(std::string_view now, std::function<bool()> kill_when = {},
                       DWORD limit_ms = 120000) const;

  // UNLHA32.DLL beside the program, for archive runs.
  void AddArchiver() const;
  void WriteIni(const IniKeys& keys) const;
  void WriteIniBytes(std::string_view bytes) const;
  [[nodiscard]] std::string Log(std::wstring_view yymm) const;
  [[nodiscard]] bool HasLog(std::wstring_view yymm) const;

  TempFolder dir;
};

}  // namespace yx::test
