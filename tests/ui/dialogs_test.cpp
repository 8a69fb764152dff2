// The real message boxes, answered from another thread the way a person
// answers them: with the keyboard.
#include "ui/dialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace yx::ui {
namespace {

// Waits for this process's message box, reads it, then presses a key on it.
class KeyPresser {
 public:
  explicit KeyPresser(WPARAM key) : thread_([this, key] { Press(key); }) {}
  ~KeyPresser() { Wait(); }
  void Wait() {
    if (thread_.joinable()) thread_.join();
  }
  std::wstring text, title;

 private:
  static BOOL CALLBACK Find(HWND hwnd, LPARAM param) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[16] = {};
    ::GetClassNameW(hwnd, cls, 16);
    if (pid == ::GetCurrentProcessId() && ::lstrcmpW(cls, L"#32770") == 0 &&
        ::IsWindowVisible(hwnd)) {
      *reinterpret_cast<HWND*>(param) = hwnd;
      return FALSE;
    }
    return TRUE;
  }
  void Press(WPARAM key) {
    HWND box = nullptr;
    GUITHREADINFO gui{sizeof gui};
    for (int i = 0; i < 1000; ++i) {
      ::EnumWindows(&Find, reinterpret_cast<LPARAM>(&box));
      if (box && ::GetGUIThreadInfo(::GetWindowThreadProcessId(box, nullptr), &gui) &&
          gui.hwndFocus)
        break;
      ::Sleep(10);
    }
    if (!box || !gui.hwndFocus) return;
    wchar_t buffer[512] = {};
    ::GetWindowTextW(box, buffer, 512);
    title = buffer;
    if (HWND label = ::GetDlgItem(box, 0xFFFF)) {
      ::GetWindowTextW(label, buffer, 512);
      text = buffer;
    }
    ::PostMessageW(gui.hwndFocus, WM_KEYDOWN, key, 0);
    ::PostMessageW(gui.hwndFocus, WM_KEYUP, key, 0xC0000000);
  }
  std::thread thread_;
};

TEST(SystemDialogs, EscapeAnswersNo) {
  KeyPresser escape(VK_ESCAPE);
  EXPECT_FALSE(SystemDialogs().AskYesNo(nullptr, "Yorudex", "設定が変更されてます。保存しますか?"));
  escape.Wait();
  EXPECT_EQ(escape.text, L"設定が変更されてます。保存しますか?");
  EXPECT_EQ(escape.title, L"Yorudex");
}

TEST(SystemDialogs, EnterTakesTheDefaultButtonYes) {
  KeyPresser enter(VK_RETURN);
  EXPECT_TRUE(SystemDialogs().AskYesNo(nullptr, "Yorudex", "q"));
}

TEST(SystemDialogs, AMessageShowsItsJapaneseTextAndTitle) {
  KeyPresser enter(VK_RETURN);
  SystemDialogs().ShowMessage(nullptr, "Yorudex", "バックアップ先のフォルダが存在しません");
  enter.Wait();
  EXPECT_EQ(enter.text, L"バックアップ先のフォルダが存在しません");
  EXPECT_EQ(enter.title, L"Yorudex");
}

}  // namespace
}  // namespace yx::ui
