#include "ui/notify_balloon.h"

#include <shellapi.h>

#include <cwchar>
#include <string>

#include "ui/window.h"
#include "win/text.h"

namespace yx::ui {
namespace {

constexpr wchar_t kClassName[] = L"YorudexNotify";
constexpr UINT kIconMessage = WM_APP + 1;
constexpr UINT_PTR kShowTimer = 1;

// The icon's hidden owner: the notification area reports clicks to a window.
class BalloonOwner final : private Window<BalloonOwner> {
 public:
  BalloonOwner(HINSTANCE instance, const std::function<void()>& on_click) : on_click_(on_click) {
    RegisterClassOnce(instance, kClassName, nullptr);
    ::CreateWindowExW(0, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, this);
  }
  ~BalloonOwner() {
    if (hwnd_) DestroyUnbound(hwnd_);
  }
  BalloonOwner(const BalloonOwner&) = delete;
  BalloonOwner& operator=(const BalloonOwner&) = delete;

  [[nodiscard]] HWND Handle() const noexcept { return hwnd_; }
  [[nodiscard]] bool Over() const noexcept { return over_; }

 private:
  friend class Window<BalloonOwner>;
  void Attach(HWND hwnd) noexcept { hwnd_ = hwnd; }
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kShowTimer) {
      over_ = true;
      return 0;
    }
    if (msg == kIconMessage) {
      // Version 4 puts the event in the low word.
      const UINT event = LOWORD(lp);
      if (event == NIN_BALLOONUSERCLICK || event == WM_LBUTTONUP || event == NIN_SELECT) {
        if (!over_ && on_click_) on_click_();
        over_ = true;
      } else if (event == NIN_BALLOONTIMEOUT) {
        over_ = true;
      }
      return 0;
    }
    return ::DefWindowProcW(hwnd_, msg, wp, lp);
  }

  const std::function<void()>& on_click_;
  HWND hwnd_ = nullptr;
  bool over_ = false;
};

// `text` into a fixed field, cut at a whole character.
template <size_t N>
void CopyField(wchar_t (&field)[N], std::string_view cp932_text) {
  std::wstring wide = win::ToWide(cp932_text);
  if (wide.size() >= N) {
    wide.resize(N - 1);
    if (IS_HIGH_SURROGATE(wide.back())) wide.pop_back();
  }
  std::wmemcpy(field, wide.c_str(), wide.size() + 1);
}

}  // namespace

bool ShowWarningBalloon(HINSTANCE instance, std::string_view cp932_title,
                        std::string_view cp932_text, DWORD show_ms,
                        const std::function<void()>& on_click) {
  BalloonOwner owner(instance, on_click);
  if (!owner.Handle()) return false;
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = owner.Handle();
  icon.uID = 1;
  icon.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE | NIF_INFO;
  icon.uCallbackMessage = kIconMessage;
  icon.hIcon = ::LoadIconW(nullptr, IDI_WARNING);
  CopyField(icon.szTip, cp932_title);
  CopyField(icon.szInfoTitle, cp932_title);
  CopyField(icon.szInfo, cp932_text);
  icon.dwInfoFlags = NIIF_WARNING;
  icon.uTimeout = show_ms;  // Windows before Vista; later ones take the user's setting
  if (!::Shell_NotifyIconW(NIM_ADD, &icon)) return false;
  icon.uVersion = NOTIFYICON_VERSION_4;
  (void)::Shell_NotifyIconW(NIM_SETVERSION, &icon);
  // The balloon may go sooner (Windows' own time, a click); never later.
  ::SetTimer(owner.Handle(), kShowTimer, show_ms, nullptr);
  MSG msg;
  while (!owner.Over() && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  ::KillTimer(owner.Handle(), kShowTimer);
  (void)::Shell_NotifyIconW(NIM_DELETE, &icon);
  return true;
}

}  // namespace yx::ui
