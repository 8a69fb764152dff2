// Times how long a window's thread takes to answer: waits for a top-level
// window of the given class to appear, then sends it WM_NULL every
// INTERVAL ms (SendMessageTimeoutW, 10 s at most each) until it is gone,
// and prints the count, the median, the 99th percentile and the longest
// answer in milliseconds, and how long it probed. A message the window
// never answered (it timed out, or the window went first) counts as the
// time waited for it.
//
// Usage: answer_probe CLASS [INTERVAL_MS [CLOSE_AFTER_MS]]
// With CLOSE_AFTER_MS, the window is sent WM_CLOSE once it has been probed
// that long (for a window that stays open by itself).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: answer_probe CLASS [INTERVAL_MS [CLOSE_AFTER_MS]]\n");
    return 2;
  }
  const DWORD interval = argc > 2 ? static_cast<DWORD>(_wtoi(argv[2])) : 20;
  const double close_after = argc > 3 ? _wtoi(argv[3]) / 1000.0 : 0;
  HWND window = nullptr;
  for (int i = 0; i < 60000 / 10 && !window; ++i) {
    window = ::FindWindowW(argv[1], nullptr);
    if (!window) ::Sleep(10);
  }
  if (!window) {
    std::fprintf(stderr, "no window of that class appeared within 60 s\n");
    return 1;
  }
  LARGE_INTEGER frequency, start, end, first;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&first);
  std::vector<double> answers;
  double longest = 0, longest_at = 0;  // the longest answer and when it was asked for
  while (::IsWindow(window)) {
    DWORD_PTR result = 0;
    ::QueryPerformanceCounter(&start);
    const LRESULT answered =
        ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    ::QueryPerformanceCounter(&end);
    answers.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                      static_cast<double>(frequency.QuadPart));
    if (answers.back() > longest) {
      longest = answers.back();
      longest_at = static_cast<double>(start.QuadPart - first.QuadPart) /
                   static_cast<double>(frequency.QuadPart);
    }
    if (!answered && !::IsWindow(window)) break;
    const double probed = static_cast<double>(end.QuadPart - first.QuadPart) /
                          static_cast<double>(frequency.QuadPart);
    if (close_after > 0 && probed >= close_after) ::PostMessageW(window, WM_CLOSE, 0, 0);
    ::Sleep(interval);
  }
  if (answers.empty()) {
    std::printf("0 answers\n");
    return 0;
  }
  std::sort(answers.begin(), answers.end());
  const auto at = [&](double q) {
    return answers[std::min(answers.size() - 1, static_cast<size_t>(q * answers.size()))];
  };
  std::printf(
      "%zu answers in %.1f s, median %.1f ms, 99th %.1f ms, longest %.1f ms (asked at %.1f s)\n",
      answers.size(),
      static_cast<double>(end.QuadPart - first.QuadPart) / static_cast<double>(frequency.QuadPart),
      at(0.5), at(0.99), answers.back(), longest_at);
  return 0;
}
