#pragma once
#include <functional>

#include "base/date_time.h"

namespace yx::win {

// The local date and time, as every reading of "now" in the program takes it.
[[nodiscard]] DateTime Now();

// Tests step the clock through this; the shipped program never calls it.
void SetClockForTesting(std::function<DateTime()> clock);

}  // namespace yx::win
