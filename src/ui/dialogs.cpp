#include "ui/dialogs.h"

#include <commctrl.h>
#include <shellapi.h>

#include "win/text.h"

namespace yx::ui {
namespace {

// A Yes/No message box ignores Escape, since it has no Cancel button. The
// hook finds the box as it opens and turns its cancel command into No.
thread_local HHOOK g_escape_hook = nullptr;

LRESULT CALLBACK EscapeAnswersNo(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                 DWORD_PTR) noexcept {
  if (msg == WM_COMMAND && LOWORD(wp) == IDCANCEL) {
    ::EndDialog(hwnd, IDNO);
    return 0;
  }
  return ::DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT CALLBACK WatchForBox(int code, WPARAM wp, LPARAM lp) noexcept {
  const LRESULT next = ::CallNextHookEx(g_escape_hook, code, wp, lp);
  if (code == HCBT_ACTIVATE) {
    ::SetWindowSubclass(reinterpret_cast<HWND>(wp), &EscapeAnswersNo, 1, 0);
    ::UnhookWindowsHookEx(g_escape_hook);
    g_escape_hook = nullptr;
  }
  return next;
}

class SystemDialogsImpl final : public Dialogs {
 public:
  void ShowMessage(HWND owner, const std::string& title, const std::string& text) override {
    ::MessageBoxW(owner, win::ToWide(text).c_str(), win::ToWide(title).c_str(), MB_OK);
  }
  void ShowWideMessage(HWND owner, const std::string& title, const std::wstring& text) override {
    ::MessageBoxW(owner, text.c_str(), win::ToWide(title).c_str(), MB_OK);
  }
  void ShowError(HWND owner, const std::string& title, const std::string& text) override {
    ::MessageBoxW(owner, win::ToWide(text).c_str(), win::ToWide(title).c_str(),
                  MB_OK | MB_ICONERROR);
  }
  bool AskYesNo(HWND owner, const std::string& title, const std::string& text) override {
    g_escape_hook = ::SetWindowsHookExW(WH_CBT, &WatchForBox, nullptr, ::GetCurrentThreadId());
    const int answer = ::MessageBoxW(owner, win::ToWide(text).c_str(), win::ToWide(title).c_str(),
                                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1);
    if (g_escape_hook) {
      ::UnhookWindowsHookEx(g_escape_hook);
      g_escape_hook = nullptr;
    }
    return answer == IDYES;
  }
  bool OpenDocument(HWND owner, const std::wstring& path, win::Failure& failure) override {
    SHELLEXECUTEINFOW run{};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_FLAG_NO_UI;
    run.hwnd = owner;
    run.lpFile = path.c_str();
    run.nShow = SW_SHOWNORMAL;
    if (::ShellExecuteExW(&run)) return true;
    failure = win::Failure::Last("ShellExecuteExW").At(path);
    return false;
  }
};

}  // namespace

Dialogs& SystemDialogs() {
  static SystemDialogsImpl dialogs;
  return dialogs;
}

}  // namespace yx::ui
