#pragma once
#include <string>
#include <vector>

namespace yx::win {

// The program's arguments after its own name, as the C runtime split its
// command line at start-up. The shell library's splitter would load that
// whole library for this alone.
[[nodiscard]] std::vector<std::wstring> ProgramArguments();

}  // namespace yx::win
