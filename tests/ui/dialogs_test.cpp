// The real message boxes, answered the way a person answers them: with the
// keyboard, once the box is up.
#include "ui/dialogs.h"

#include <gtest/gtest.h>

#include <string>

namespace yx::ui {
namespace {

// While it lives, the first message box this thread shows is read and
// answered with a key. A hook on this thread sees the messages of the box's
// own loop, so it acts once the box is up and has the focus: no second
// thread, no wait that could give up before the box is there.
class KeyPresser {
 public:
  explicit KeyPresser(WPARAM key) {
    current_ = this;
    key_ = key;
    hook_ = ::SetWindowsHookExW(WH_MSGFILTER, &Hook, nullptr, ::GetCurrentThreadId());
  }
  ~KeyPresser() {
    ::UnhookWindowsHookEx(hook_);
    current_ = nullptr;
  }
  KeyPresser(const KeyPresser&) = delete;
  KeyPresser& operator=(const KeyPresser&) = delete;
  void Wait() const { EXPECT_TRUE(pressed_) << "no message box opened"; }
  std::wstring text, title;

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp) {
    KeyPresser* self = current_;
    const HWND focus = ::GetFocus();
    const HWND box = focus ? ::GetAncestor(focus, GA_ROOT) : nullptr;
    if (code == MSGF_DIALOGBOX && self && !self->pressed_ && box) {
      wchar_t buffer[512] = {};
      ::GetClassNameW(box, buffer, 512);
      if (::lstrcmpW(buffer, L"#32770") == 0) {
        self->pressed_ = true;
        ::GetWindowTextW(box, buffer, 512);
        self->title = buffer;
        if (HWND label = ::GetDlgItem(box, 0xFFFF)) {
          ::GetWindowTextW(label, buffer, 512);
          self->text = buffer;
        }
        ::PostMessageW(focus, WM_KEYDOWN, self->key_, 0);
        ::PostMessageW(focus, WM_KEYUP, self->key_, 0xC0000000);
      }
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
  }
  static inline KeyPresser* current_ = nullptr;
  HHOOK hook_ = nullptr;
  WPARAM key_ = 0;
  bool pressed_ = false;
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
