#pragma once
// A command line of the user's, started after a run (a mail, a chat
// message): in a process of its own, without a console window, its input
// and output on the null device, so nothing it prints is read or kept.
#include <windows.h>

#include <functional>
#include <string>
#include <utility>

#include "win/failure.h"
#include "win/unique_handle.h"

namespace yx::win {

class CommandProcess {
 public:
  // The wait for the command's end: ::WaitForSingleObject, or a test's that
  // fails, which nothing under Wine makes the real one do.
  using WaitCall = std::function<DWORD(HANDLE, DWORD)>;
  explicit CommandProcess(WaitCall wait = ::WaitForSingleObject) : wait_(std::move(wait)) {}

  // Starts `command_line` as CreateProcessW parses it (the first word, or
  // a quoted path, names the program). False with the call that failed.
  [[nodiscard]] bool Start(std::wstring command_line, Failure& failure);

  enum class End { kExited, kTimedOut, kWaitFailed, kNotStarted };
  // Waits up to `wait_ms`; a command still running then is ended with every
  // process it started (a batch file's programs), since a hung mail script
  // would otherwise be one more process after every run. `exit_code` is the
  // command's, or with kWaitFailed the system's error of the wait.
  [[nodiscard]] End Wait(DWORD wait_ms, DWORD& exit_code);

 private:
  WaitCall wait_;
  UniqueKernelHandle process_;
  // Holds what the command starts; none when the system refused one (the
  // program itself running in a job that forbids it): then only the
  // command's own process can be ended.
  UniqueKernelHandle job_;
};

}  // namespace yx::win
