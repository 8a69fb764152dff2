// The yardsticks of bench/auto-start-bench.sh: a Windows program that does
// nothing, built as Yorudex.exe is, so that its start and end under Wine are
// what any program of this kind costs. /WINDOW: it makes a window, shows it
// minimised on the taskbar and ends, the least a program can show. /OPEN:
// it shows an empty window of the restore window's size and answers its
// messages until it is closed, the floor of bench/restore-answer-bench.sh's
// first answer. /HOLD:
// it waits until it is killed; the bench keeps one running, as a desktop
// always has programs running, so that Wine's desktop process is not
// started and stopped anew for every program timed.
#include <windows.h>

#include <cwchar>

namespace {

LRESULT CALLBACK EndsTheLoop(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) ::PostQuitMessage(0);
  return ::DefWindowProcW(window, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int) {
  if (std::wcscmp(command_line, L"/HOLD") == 0) ::Sleep(INFINITE);
  if (std::wcscmp(command_line, L"/OPEN") == 0) {
    WNDCLASSW type{};
    type.lpfnWndProc = &EndsTheLoop;
    type.hInstance = instance;
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    type.lpszClassName = L"EmptyOpen";
    ::RegisterClassW(&type);
    const HWND window = ::CreateWindowExW(0, L"EmptyOpen", L"Empty", WS_OVERLAPPEDWINDOW, 0, 0, 776,
                                          583, nullptr, nullptr, instance, nullptr);
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::UpdateWindow(window);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    return 0;
  }
  if (std::wcscmp(command_line, L"/WINDOW") == 0) {
    WNDCLASSW type{};
    type.lpfnWndProc = ::DefWindowProcW;
    type.hInstance = instance;
    type.lpszClassName = L"EmptyProgram";
    ::RegisterClassW(&type);
    const HWND window = ::CreateWindowExW(0, L"EmptyProgram", L"Empty", WS_OVERLAPPEDWINDOW, 0, 0,
                                          200, 100, nullptr, nullptr, instance, nullptr);
    ::ShowWindow(window, SW_SHOWMINNOACTIVE);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    ::DestroyWindow(window);
  }
  return 0;
}
