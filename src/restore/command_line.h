#pragma once
// The restore without its window, for scripts and tests:
//   /LIST FILE [/FROM DESTINATION]
//   /RESTORE ID PATH... /TO FOLDER [/OVERWRITE|/SKIP] [/FROM DESTINATION]
//   /VERIFY ID...|/ALL [/FROM DESTINATION]
// Prints nothing; the status says how it went and the reason goes to
// log-error.txt beside the program.
#include <string>
#include <vector>

#include "restore/program.h"

namespace yx::restore {

enum ExitStatus {
  kDone = 0,
  kBadArguments = 1,
  kNotRestored = 2,  // something could not be listed or restored, or differs from its catalog
};

[[nodiscard]] int RunCommandLine(const Program& program, const std::vector<std::wstring>& args);

}  // namespace yx::restore
