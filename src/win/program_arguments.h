#pragma once
#include <string>
#include <vector>

namespace yx::win {

// The program's arguments after its own name, as the C runtime split its
// command line at start-up. The shell library's splitter would load that
// whole library for this alone.
[[nodiscard]] std::vector<std::wstring> ProgramArguments();

// The path of this program's file.
[[nodiscard]] std::wstring ExePath();

// `word` with a-z made A-Z, nothing else: how the companions read their
// switches, whatever the system's case rules.
[[nodiscard]] std::wstring SwitchWord(std::wstring word);

}  // namespace yx::win
