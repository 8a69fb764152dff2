#include "ui/window.h"

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

}  // namespace yx::ui
