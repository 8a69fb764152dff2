// Times how long a window's thread takes to answer: waits for a top-level
// window of the given class to appear, then sends it WM_NULL every
// INTERVAL ms (SendMessageTimeoutW, 10 s at most each) until it is gone,
// and prints the count, the median, the 99th percentile and the longest
// answer in milliseconds, and how long it probed. A message the window
// never answered (it timed out, or the window went first) counts as the
// time waited for it.
//
// Usage: answer_probe CLASS [INTERVAL_MS [CLOSE_AFTER_MS [ROWS PROGRAM [ARGS]]]]
// With CLOSE_AFTER_MS, the window is sent WM_CLOSE once it has been probed
// that long (for a window that stays open by itself). With PROGRAM, the
// probe starts it (with ARGS), waits for it to end, and prints a second
// line: when its window was made (counted from the start), the first answer
// apart (the window answers it once it is made whole, its controls and
// first paint included), the longest of the later ones, and when the
// window's first list view first held ROWS rows (-1: no list asked for);
// the row count is asked after each probe, so it is known to within
// INTERVAL_MS.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

double Since(const LARGE_INTEGER& from) {
  LARGE_INTEGER frequency, now;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

// The program and its arguments as one command line, quoted where they
// hold a blank.
std::wstring CommandLine(int argc, wchar_t** argv, int first) {
  std::wstring line;
  for (int i = first; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const bool quoted = arg.find(L' ') != std::wstring::npos;
    line += (line.empty() ? L"" : L" ") + (quoted ? L"\"" + arg + L"\"" : arg);
  }
  return line;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(
        stderr, "usage: answer_probe CLASS [INTERVAL_MS [CLOSE_AFTER_MS [ROWS PROGRAM [ARGS]]]]\n");
    return 2;
  }
  const DWORD interval = argc > 2 ? static_cast<DWORD>(_wtoi(argv[2])) : 20;
  const double close_after = argc > 3 ? _wtoi(argv[3]) / 1000.0 : 0;
  const LRESULT rows = argc > 5 ? _wtoi(argv[4]) : -1;
  LARGE_INTEGER started;
  ::QueryPerformanceCounter(&started);
  HANDLE program = nullptr;
  if (argc > 5) {
    std::wstring line = CommandLine(argc, argv, 5);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
      std::fprintf(stderr, "cannot start the program: error %lu\n", ::GetLastError());
      return 1;
    }
    ::CloseHandle(process.hThread);
    program = process.hProcess;
  }
  HWND window = nullptr;
  for (int i = 0; i < 60000 / 10 && !window; ++i) {
    window = ::FindWindowW(argv[1], nullptr);
    if (!window) ::Sleep(10);
  }
  if (!window) {
    std::fprintf(stderr, "no window of that class appeared within 60 s\n");
    return 1;
  }
  const double appeared = Since(started);
  double listed = -1;  // when the list first held `rows` rows
  LARGE_INTEGER frequency, start, end, first;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&first);
  std::vector<double> answers;
  double longest = 0, longest_at = 0;      // the longest answer and when it was asked for
  double later_longest = 0, later_at = 0;  // the same of the answers after the first
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
    if (answers.size() > 1 && answers.back() > later_longest) {
      later_longest = answers.back();
      later_at = static_cast<double>(start.QuadPart - first.QuadPart) /
                 static_cast<double>(frequency.QuadPart);
    }
    if (!answered && !::IsWindow(window)) break;
    if (rows >= 0 && listed < 0) {
      DWORD_PTR count = 0;
      const HWND list = ::FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
      if (list && ::SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 10000, &count) &&
          static_cast<LRESULT>(count) >= rows)
        listed = Since(started);
    }
    const double probed = static_cast<double>(end.QuadPart - first.QuadPart) /
                          static_cast<double>(frequency.QuadPart);
    if (close_after > 0 && probed >= close_after) ::PostMessageW(window, WM_CLOSE, 0, 0);
    ::Sleep(interval);
  }
  if (answers.empty()) {
    std::printf("0 answers\n");
    return 0;
  }
  const double first_answer = answers.front();
  std::sort(answers.begin(), answers.end());
  const auto at = [&](double q) {
    return answers[std::min(answers.size() - 1, static_cast<size_t>(q * answers.size()))];
  };
  std::printf(
      "%zu answers in %.1f s, median %.1f ms, 99th %.1f ms, longest %.1f ms (asked at %.1f s)\n",
      answers.size(),
      static_cast<double>(end.QuadPart - first.QuadPart) / static_cast<double>(frequency.QuadPart),
      at(0.5), at(0.99), answers.back(), longest_at);
  if (program) {
    ::WaitForSingleObject(program, 60000);
    ::CloseHandle(program);
    std::printf(
        "window made after %.2f s, first answer %.1f ms, later longest %.1f ms (asked at %.1f s), "
        "%ld rows listed after %.2f s\n",
        appeared, first_answer, later_longest, later_at, static_cast<long>(rows), listed);
  }
  return 0;
}
