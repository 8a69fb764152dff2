#pragma once
// The application's loop as a test runs it: the messages of this thread
// handled as Application::Run handles them, until a condition holds. The
// wait is for messages, with a deadline that fails the test.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "ui/application.h"

namespace yx::test {

// Every message pending now.
inline void Pump(ui::Application& app) {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    if (!app.Dispatch(msg)) break;
}

// Until `done` holds, waiting for messages at most `deadline_ms` in all.
inline void PumpUntil(ui::Application& app, const std::function<bool()>& done,
                      DWORD deadline_ms = 120'000) {
  const ULONGLONG end = ::GetTickCount64() + deadline_ms;
  for (Pump(app); !done(); Pump(app)) {
    const ULONGLONG now = ::GetTickCount64();
    if (now >= end || ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now),
                                                  QS_ALLINPUT) == WAIT_TIMEOUT) {
      ADD_FAILURE() << "nothing came within the deadline";
      return;
    }
  }
}

}  // namespace yx::test
