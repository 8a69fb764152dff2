#include "ui/notify_balloon.h"

#include <shellapi.h>

#include <cwchar>
#include <memory>
#include <string>
#include <utility>

#include "ui/window.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace yx::ui {
namespace {

constexpr wchar_t kClassName[] = L"YorudexNotify";
constexpr UINT kIconMessage = WM_APP + 1;
constexpr UINT_PTR kShowTimer = 1;
// Beyond the balloon's own time, what the worker gives the window's thread
// to take the request before it stops waiting: a loop that is gone.
constexpr DWORD kLateMs = 10'000;

// What the worker and the window's thread share: the worker waits for `over`
// and then reads `failure`, which the window's thread wrote before.
struct Request {
  NOTIFYICONDATAW icon{};
  DWORD show_ms = 0;
  std::function<std::string()> on_click;
  std::string failure;
  win::UniqueKernelHandle over{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// The icon's hidden owner: the notification area reports clicks to a window.
// It lives while the balloon shows and goes with its window, which its own
// timer or a click destroys.
class BalloonOwner final : private Window<BalloonOwner> {
 public:
  // The balloon is over for the worker once its owner is gone.
  ~BalloonOwner() { ::SetEvent(request_->over.get()); }
  BalloonOwner(const BalloonOwner&) = delete;
  BalloonOwner& operator=(const BalloonOwner&) = delete;

  static void Show(std::shared_ptr<Request> request) {
    auto owner = std::unique_ptr<BalloonOwner>(new BalloonOwner(std::move(request)));
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    RegisterClassOnce(instance, kClassName, nullptr);
    ::CreateWindowExW(0, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                      owner.get());
    if (!owner->hwnd_) return;
    // The window owns itself from here: it goes at its WM_NCDESTROY.
    BalloonOwner* const self = owner.release();
    NOTIFYICONDATAW& icon = self->request_->icon;
    icon.hWnd = self->hwnd_;
    if (!::Shell_NotifyIconW(NIM_ADD, &icon)) {
      ::DestroyWindow(self->hwnd_);
      return;
    }
    self->icon_added_ = true;
    icon.uVersion = NOTIFYICON_VERSION_4;
    (void)::Shell_NotifyIconW(NIM_SETVERSION, &icon);
    // The balloon may go sooner (Windows' own time, a click); never later.
    ::SetTimer(self->hwnd_, kShowTimer, self->request_->show_ms, nullptr);
  }

 private:
  explicit BalloonOwner(std::shared_ptr<Request> request) : request_(std::move(request)) {}

  friend class Window<BalloonOwner>;
  void Attach(HWND hwnd) noexcept {
    hwnd_ = hwnd;
    if (!hwnd) delete this;
  }
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_TIMER:
        if (wp == kShowTimer) ::DestroyWindow(hwnd_);
        return 0;
      case kIconMessage:
        // Version 4 puts the event in the low word.
        switch (LOWORD(lp)) {
          case NIN_BALLOONUSERCLICK:
          case WM_LBUTTONUP:
          case NIN_SELECT:
            if (request_->on_click) request_->failure = request_->on_click();
            ::DestroyWindow(hwnd_);
            break;
          case NIN_BALLOONTIMEOUT:
            ::DestroyWindow(hwnd_);
            break;
          default:
            break;
        }
        return 0;
      case WM_DESTROY:
        ::KillTimer(hwnd_, kShowTimer);
        if (icon_added_) (void)::Shell_NotifyIconW(NIM_DELETE, &request_->icon);
        return 0;
      default:
        break;
    }
    return ::DefWindowProcW(hwnd_, msg, wp, lp);
  }

  std::shared_ptr<Request> request_;
  HWND hwnd_ = nullptr;
  bool icon_added_ = false;
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

std::string ShowWarningBalloon(HWND window, std::string_view cp932_title,
                               std::string_view cp932_text, DWORD show_ms,
                               std::function<std::string()> on_click) {
  auto request = std::make_shared<Request>();
  if (!request->over) return {};
  NOTIFYICONDATAW& icon = request->icon;
  icon.cbSize = sizeof icon;
  icon.uID = 1;
  icon.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE | NIF_INFO;
  icon.uCallbackMessage = kIconMessage;
  icon.hIcon = ::LoadIconW(nullptr, IDI_WARNING);
  CopyField(icon.szTip, cp932_title);
  CopyField(icon.szInfoTitle, cp932_title);
  CopyField(icon.szInfo, cp932_text);
  icon.dwInfoFlags = NIIF_WARNING;
  icon.uTimeout = show_ms;  // Windows before Vista; later ones take the user's setting
  request->show_ms = show_ms;
  request->on_click = std::move(on_click);
  PostToWindowThread(window, [request] { BalloonOwner::Show(request); });
  if (::WaitForSingleObject(request->over.get(), show_ms + kLateMs) != WAIT_OBJECT_0) return {};
  return request->failure;
}

}  // namespace yx::ui
