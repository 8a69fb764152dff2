#pragma once
// A failed call as a report names it: the call, the error the system gave
// right after it and the path it acted on. Last() reads the thread's last
// error before anything else runs (the path comes after, through At(), which
// C++ evaluates after the object it is called on), so no allocation or other
// call in the report's expression can change the error reported.
#include <windows.h>

#include <string>
#include <utility>

namespace yx::win {

struct Failure {
  const char* call = "";
  DWORD error = ERROR_SUCCESS;
  std::wstring path;

  // The thread's last error, now: the first thing after the failed call.
  [[nodiscard]] static Failure Last(const char* call) noexcept {
    const DWORD error = ::GetLastError();
    return Failure{call, error, {}};
  }
  [[nodiscard]] Failure At(std::wstring acted_on) && {
    path = std::move(acted_on);
    return std::move(*this);
  }
  // "エラー <n> <system text>", as ErrorReason.
  [[nodiscard]] std::string Reason() const;
  // "<path>: エラー <n> <system text>".
  [[nodiscard]] std::string Text() const;
};

}  // namespace yx::win
