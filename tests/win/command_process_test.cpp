// A command after a run that does not end in time is ended with what it
// started: the command is cmd.exe, which starts this test program again as
// its child; the child holds a mutex until it ends, so the test learns of
// its end by the mutex being abandoned, never by time.
#include <gtest/gtest.h>

#include <string>

#include "win/command_process.h"
#include "win/unique_handle.h"

namespace yx::win {
namespace {

constexpr wchar_t kChildVariable[] = L"YX_TEST_COMMAND_CHILD";

std::wstring Name(const wchar_t* what) {
  return std::wstring(L"yx-test-command-") + what + L"-" + std::to_wstring(::GetCurrentProcessId());
}

// Runs only as the started command's child: holds the mutex, says so, and
// waits for an event nobody sets.
TEST(CommandProcessChild, HoldsItsMutexUntilEnded) {
  wchar_t names[64] = {};
  if (!::GetEnvironmentVariableW(kChildVariable, names, 64)) GTEST_SKIP() << "only as a child";
  const std::wstring suffix = names;
  const UniqueKernelHandle held(
      ::CreateMutexW(nullptr, TRUE, (L"yx-test-command-held-" + suffix).c_str()));
  const UniqueKernelHandle started(
      ::OpenEventW(EVENT_MODIFY_STATE, FALSE, (L"yx-test-command-started-" + suffix).c_str()));
  ASSERT_TRUE(held && started);
  ::SetEvent(started.get());
  const UniqueKernelHandle never(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ::WaitForSingleObject(never.get(), INFINITE);
}

TEST(CommandProcess, ATimedOutCommandIsEndedWithWhatItStarted) {
  const UniqueKernelHandle started(::CreateEventW(nullptr, TRUE, FALSE, Name(L"started").c_str()));
  std::wstring self(MAX_PATH, L'\0');
  self.resize(::GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
  ::SetEnvironmentVariableW(kChildVariable, std::to_wstring(::GetCurrentProcessId()).c_str());
  CommandProcess command;
  Failure failure;
  ASSERT_TRUE(command.Start(L"cmd.exe /c \"\"" + self +
                                L"\" --gtest_filter=CommandProcessChild.HoldsItsMutexUntilEnded\"",
                            failure))
      << failure.Text();
  ::SetEnvironmentVariableW(kChildVariable, nullptr);
  ASSERT_EQ(::WaitForSingleObject(started.get(), 30000), WAIT_OBJECT_0) << "the child never ran";
  const UniqueKernelHandle held(::OpenMutexW(SYNCHRONIZE, FALSE, Name(L"held").c_str()));
  ASSERT_TRUE(held);
  DWORD code = 0;
  EXPECT_EQ(command.Wait(0, code), CommandProcess::End::kTimedOut);
  EXPECT_EQ(::WaitForSingleObject(held.get(), 30000), WAIT_ABANDONED)
      << "the command's child outlived it";
}

}  // namespace
}  // namespace yx::win
