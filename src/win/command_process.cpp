#include "win/command_process.h"

namespace yx::win {

bool CommandProcess::Start(std::wstring command_line, DWORD& error) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  UniqueFile null_device(::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                       0, nullptr));
  if (!null_device) {
    error = ::GetLastError();
    return false;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = null_device.get();
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup,
                        &started)) {
    error = ::GetLastError();
    return false;
  }
  ::CloseHandle(started.hThread);
  process_.reset(started.hProcess);
  return true;
}

CommandProcess::End CommandProcess::Wait(DWORD wait_ms, DWORD& exit_code) {
  if (!process_) return End::kNotStarted;
  if (::WaitForSingleObject(process_.get(), wait_ms) != WAIT_OBJECT_0) {
    ::TerminateProcess(process_.get(), 1);
    return End::kTimedOut;
  }
  exit_code = 0;
  (void)::GetExitCodeProcess(process_.get(), &exit_code);
  return End::kExited;
}

}  // namespace yx::win
