#pragma once
// Wall and CPU time and peak memory of this process, for the bench drivers'
// one-line reports.
#include <windows.h>
#include <psapi.h>

#include <cstdint>

namespace yx::bench {

inline double Seconds(const FILETIME& t) {
  return static_cast<double>((uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime) / 1e7;
}

// User and kernel time of this process so far.
inline double CpuSeconds() {
  FILETIME creation, exit, kernel, user;
  ::GetProcessTimes(::GetCurrentProcess(), &creation, &exit, &kernel, &user);
  return Seconds(kernel) + Seconds(user);
}

inline double WallSeconds() {
  LARGE_INTEGER frequency, now;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The most memory this process has held in physical pages so far.
inline double PeakMegabytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return static_cast<double>(counters.PeakWorkingSetSize) / 1e6;
}

}  // namespace yx::bench
