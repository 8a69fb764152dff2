#include "win/command_process.h"

namespace yx::win {

bool CommandProcess::Start(std::wstring command_line, Failure& failure) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  UniqueFile null_device(::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                       0, nullptr));
  if (!null_device) {
    failure = Failure::Last("CreateFileW").At(L"NUL");
    return false;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = null_device.get();
  PROCESS_INFORMATION started{};
  // Suspended until it is in the job, so that nothing it starts escapes it.
  if (!::CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW | CREATE_NEW_PROCESS_GROUP | CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &started)) {
    failure = Failure::Last("CreateProcessW");
    return false;
  }
  process_.reset(started.hProcess);
  const UniqueKernelHandle thread(started.hThread);
  job_.reset(::CreateJobObjectW(nullptr, nullptr));
  if (job_ && !::AssignProcessToJobObject(job_.get(), process_.get())) job_.reset();
  if (::ResumeThread(thread.get()) == static_cast<DWORD>(-1)) {
    failure = Failure::Last("ResumeThread");
    ::TerminateProcess(process_.get(), 1);
    process_.reset();
    return false;
  }
  return true;
}

CommandProcess::End CommandProcess::Wait(DWORD wait_ms, DWORD& exit_code) {
  if (!process_) return End::kNotStarted;
  const DWORD waited = wait_(process_.get(), wait_ms);
  if (waited == WAIT_FAILED) {
    exit_code = ::GetLastError();
    return End::kWaitFailed;
  }
  if (waited != WAIT_OBJECT_0) {
    if (!job_ || !::TerminateJobObject(job_.get(), 1)) ::TerminateProcess(process_.get(), 1);
    return End::kTimedOut;
  }
  exit_code = 0;
  (void)::GetExitCodeProcess(process_.get(), &exit_code);
  return End::kExited;
}

}  // namespace yx::win
