#include "ui/window.h"

#include <memory>
#include <utility>

namespace yx::ui {
namespace {

// Per thread, as the message loop it ends: a window procedure runs on the
// thread that made its window.
std::exception_ptr& Fault() noexcept {
  thread_local std::exception_ptr fault;
  return fault;
}

}  // namespace

void KeepWindowFault(std::exception_ptr fault) noexcept {
  if (!Fault()) Fault() = std::move(fault);
}

bool WindowFaulted() noexcept { return static_cast<bool>(Fault()); }

std::exception_ptr TakeWindowFault() noexcept { return std::exchange(Fault(), nullptr); }

namespace {

// Beyond the range the windows use for their own private messages.
constexpr UINT kSentCall = WM_APP + 0x3F00;
constexpr UINT kPostedCall = WM_APP + 0x3F01;

struct SentCall {
  const std::function<void()>* call;
  std::exception_ptr fault;
};

}  // namespace

void CallOnWindowThread(HWND window, const std::function<void()>& call) {
  SentCall sent{&call, nullptr};
  ::SendMessageW(window, kSentCall, reinterpret_cast<WPARAM>(&sent), 0);
  if (sent.fault) std::rethrow_exception(sent.fault);
}

void PostToWindowThread(HWND window, std::function<void()> call) {
  auto owned = std::make_unique<std::function<void()>>(std::move(call));
  if (::PostMessageW(window, kPostedCall, reinterpret_cast<WPARAM>(owned.get()), 0))
    (void)owned.release();
}

void ShowOnWindowThread(HWND window, std::function<void()> call) {
  if (::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId())
    call();
  else
    PostToWindowThread(window, std::move(call));
}

bool IsWindowThreadCall(UINT msg) noexcept { return msg == kSentCall || msg == kPostedCall; }

LRESULT RunWindowThreadCall(UINT msg, WPARAM wp) noexcept {
  if (msg == kSentCall) {
    SentCall& sent = *reinterpret_cast<SentCall*>(wp);
    try {
      (*sent.call)();
    } catch (...) {
      sent.fault = std::current_exception();
    }
    return 0;
  }
  const std::unique_ptr<std::function<void()>> call(reinterpret_cast<std::function<void()>*>(wp));
  return Guarded([&] {
    (*call)();
    return LRESULT{0};
  });
}

}  // namespace yx::ui
