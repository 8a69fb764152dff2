#include "win/clock.h"

#include <windows.h>

#include <utility>

namespace yx::win {
namespace {

std::function<DateTime()>& TestClock() {
  static std::function<DateTime()> clock;
  return clock;
}

}  // namespace

DateTime Now() {
  if (const auto& clock = TestClock()) return clock();
  SYSTEMTIME st;
  ::GetLocalTime(&st);
  return EncodeDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
                        st.wMilliseconds);
}

void SetClockForTesting(std::function<DateTime()> clock) { TestClock() = std::move(clock); }

}  // namespace yx::win
