#pragma once
// Holds the programs started while it lives at a named pause point of the
// test build: the program sets an event there and waits for ever, so the test
// waits for that event (never for time) and kills it at a known step.
#include <windows.h>

#include <string>

#include "win/unique_handle.h"

namespace yx::test {

class PauseAt {
 public:
  explicit PauseAt(const std::wstring& point) {
    const std::wstring name = L"yx-test-pause-" + std::to_wstring(::GetCurrentProcessId());
    event_.reset(::CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
    ::SetEnvironmentVariableW(L"YX_TEST_PAUSE_AT", point.c_str());
    ::SetEnvironmentVariableW(L"YX_TEST_PAUSE_EVENT", name.c_str());
  }
  ~PauseAt() { Stop(); }
  PauseAt(const PauseAt&) = delete;
  PauseAt& operator=(const PauseAt&) = delete;

  [[nodiscard]] bool Reached(DWORD wait_ms = 0) const {
    return ::WaitForSingleObject(event_.get(), wait_ms) == 0;
  }
  // Programs started from now on run through.
  void Stop() {
    ::SetEnvironmentVariableW(L"YX_TEST_PAUSE_AT", nullptr);
    ::SetEnvironmentVariableW(L"YX_TEST_PAUSE_EVENT", nullptr);
  }

 private:
  win::UniqueKernelHandle event_;
};

}  // namespace yx::test
