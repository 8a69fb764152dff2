#include "reliability/child_program.h"

#include <string>

#include "support/program_run.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace yx::test {
namespace {

// The test's own environment, with YX_TEST_NOW replaced.
std::wstring ChildEnvironment(std::string_view now) {
  std::wstring block;
  if (wchar_t* env = ::GetEnvironmentStringsW()) {
    for (const wchar_t* p = env; *p; p += wcslen(p) + 1) {
      const std::wstring_view entry = p;
      if (entry.starts_with(L"YX_TEST_NOW=")) continue;
      block.append(entry).push_back(L'\0');
    }
    ::FreeEnvironmentStringsW(env);
  }
  block += L"YX_TEST_NOW=" + win::ToWide(now);
  block.push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

}  // namespace

ProgramFolder::ProgramFolder(bool test_clock) {
  if (test_clock)
    (void)InstallTestClockProgram(dir.Path());
  else
    (void)InstallProgram(dir.Path());
}

void ProgramFolder::AddArchiver() const { InstallArchiver(dir.Path()); }

ChildOutcome ProgramFolder::RunAuto(std::string_view now, std::function<bool()> kill_when,
                                    DWORD limit_ms) const {
  const std::wstring exe = dir.Path() + L"Yorudex.exe";
  std::wstring environment = ChildEnvironment(now);
  const PROCESS_INFORMATION started = StartProgram(exe, L"\"" + exe + L"\" /AUTO", dir.Path(),
                                                   CREATE_UNICODE_ENVIRONMENT, environment.data());
  win::UniqueKernelHandle process(started.hProcess);
  win::UniqueKernelHandle thread(started.hThread);
  ChildOutcome outcome;
  bool dialog = false;
  const ULONGLONG hang = ::GetTickCount64() + limit_ms;
  // The pause point's event, when one is set for the program: the wait ends
  // the moment the program reaches it, so a kill there comes at once. A
  // dialog, the hang limit and any other kill condition are looked at
  // between short waits; a wait that spins would take the processor the
  // program needs.
  wchar_t pause_name[128] = {};
  const DWORD length = ::GetEnvironmentVariableW(L"YX_TEST_PAUSE_EVENT", pause_name, 128);
  const bool pausing = kill_when && length > 0 && length < 128;
  const win::UniqueKernelHandle pause(pausing ? ::OpenEventW(SYNCHRONIZE, FALSE, pause_name)
                                              : nullptr);
  const HANDLE waits[] = {process.get(), pause.get()};
  while (::WaitForMultipleObjects(pause ? 2 : 1, waits, FALSE, 10) != WAIT_OBJECT_0) {
    dialog = dialog || ShowsDialog(started.dwProcessId);
    const bool stop = dialog || ::GetTickCount64() > hang || (kill_when && kill_when());
    if (!stop) continue;
    ::TerminateProcess(process.get(), 255);
    ::WaitForSingleObject(process.get(), INFINITE);
    outcome.killed = true;
    break;
  }
  outcome.dialog = dialog || ShowsDialog(started.dwProcessId);
  outcome.finished = !outcome.killed;
  ::GetExitCodeProcess(process.get(), &outcome.exit_code);
  return outcome;
}

void ProgramFolder::WriteIni(const IniKeys& keys) const {
  std::string text = "[Backup]\r\n";
  for (const auto& [key, value] : keys) text += key + "=" + value + "\r\n";
  WriteIniBytes(text);
}

void ProgramFolder::WriteIniBytes(std::string_view bytes) const {
  dir.WriteFile(L"Yorudex.INI", bytes);
}

std::string ProgramFolder::Log(std::wstring_view yymm) const {
  return dir.ReadFile(L"log\\" + std::wstring(yymm) + L".log");
}

bool ProgramFolder::HasLog(std::wstring_view yymm) const {
  return dir.Exists(L"log\\" + std::wstring(yymm) + L".log");
}

}  // namespace yx::test
