#pragma once
// Named steps of a run (a file about to be copied, the settings about to be
// written) at which the test build can hold the program still, so that a test
// kills it at a known place instead of racing it. The shipped program sets no
// handler and a pause point costs one test of an empty function.
#include <functional>
#include <string_view>

namespace yx::win {

void PausePoint(std::string_view name);
// True when a test holds the program at pause points: work that runs on other
// threads is then finished before each point, so a kill there finds it done.
[[nodiscard]] bool PausePointsActive();

void SetPausePointForTesting(std::function<void(std::string_view)> handler);

}  // namespace yx::win
