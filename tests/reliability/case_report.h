#pragma once
// Each case says what it tried and what it checks; at the end of a full run
// the suite writes the table of all cases, with how each came out, into
// docs/reliability.md.
#include <string_view>

namespace yx::test {

// Call once at the start of a test: what is done to the program, and what
// must hold afterwards (plain text, CP932 or ASCII).
void Describe(std::string_view tried, std::string_view checked);
// A measured figure worth keeping in the table (e.g. handle counts).
void Measured(std::string_view figures);

}  // namespace yx::test
