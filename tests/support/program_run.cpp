#include "support/program_run.h"

#include <stdexcept>
#include <string>

#include "support/build_paths.h"
#include "support/temp_folder.h"
#include "win/file_system.h"
#include "win/unique_handle.h"

namespace yx::test {
namespace {

struct WindowSearch {
  DWORD pid;
  std::wstring_view caption;
  bool dialog = false;
  bool window = false;
};

BOOL CALLBACK FindWindows(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  if (pid != search->pid) return TRUE;
  wchar_t text[64] = {};
  ::GetClassNameW(hwnd, text, 64);
  if (::lstrcmpW(text, L"#32770") == 0) search->dialog = true;
  ::GetWindowTextW(hwnd, text, 64);
  if (!search->caption.empty() && search->caption == text && ::IsWindowVisible(hwnd))
    search->window = true;
  return TRUE;
}

}  // namespace

bool ShowsDialog(DWORD pid) {
  WindowSearch search{pid, {}};
  ::EnumWindows(&FindWindows, reinterpret_cast<LPARAM>(&search));
  return search.dialog;
}

std::wstring BuildPath(std::wstring_view relative) {
  std::wstring path = L"Z:";
  for (const char c : std::string_view(kBinaryDir))
    path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return path + L"\\" + std::wstring(relative);
}

std::wstring FolderOnSmallDisk(std::wstring_view name) {
  const std::wstring disk = BuildPath(L"small-disk\\");
  ULARGE_INTEGER total{};
  if (!::GetDiskFreeSpaceExW(disk.c_str(), nullptr, &total, nullptr) || total.QuadPart > 4u << 20)
    return {};
  const std::wstring folder = disk + std::wstring(name) + L"\\";
  RemoveTree(folder);
  if (!win::CreateFolderTree(folder))
    throw std::runtime_error("cannot make a folder on the small disk");
  return folder;
}

PROCESS_INFORMATION StartProgram(const std::wstring& exe, std::wstring command,
                                 const std::wstring& folder, DWORD flags, wchar_t* environment) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  for (int attempt = 0;; ++attempt) {
    if (::CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, flags, environment,
                         folder.c_str(), &startup, &info))
      return info;
    const DWORD error = ::GetLastError();
    if (error != ERROR_INTERNAL_ERROR || attempt == 2)
      throw std::runtime_error("cannot start the program: error " + std::to_string(error));
  }
}

ProgramResult RunProgram(const std::wstring& exe, const std::wstring& arguments, DWORD timeout_ms,
                         std::wstring_view until_window) {
  const PROCESS_INFORMATION info =
      StartProgram(exe, L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments),
                   exe.substr(0, exe.find_last_of(L'\\') + 1));
  win::UniqueKernelHandle process(info.hProcess);
  win::UniqueKernelHandle thread(info.hThread);
  ProgramResult result;
  const ULONGLONG deadline = ::GetTickCount64() + timeout_ms;
  WindowSearch search{info.dwProcessId, until_window};
  for (;;) {
    if (::WaitForSingleObject(process.get(), 20) == WAIT_OBJECT_0) break;
    ::EnumWindows(&FindWindows, reinterpret_cast<LPARAM>(&search));
    if (search.window || ::GetTickCount64() > deadline) {
      ::TerminateProcess(process.get(), 99);
      ::WaitForSingleObject(process.get(), 5000);
      result.showed_dialog = search.dialog;
      result.showed_window = search.window;
      return result;
    }
  }
  result.finished = true;
  ::GetExitCodeProcess(process.get(), &result.exit_code);
  result.showed_dialog = search.dialog;
  return result;
}

namespace {

std::wstring Install(const std::wstring& built, const std::wstring& folder, bool with_archiver) {
  const std::wstring exe = folder + L"Yorudex.exe";
  if (!::CopyFileW(BuildPath(built).c_str(), exe.c_str(), FALSE))
    throw std::runtime_error("cannot copy the program");
  if (with_archiver) InstallArchiver(folder);
  return exe;
}

}  // namespace

void InstallArchiver(const std::wstring& folder) {
  if (!::CopyFileW(BuildPath(L"dist\\UNLHA32.DLL").c_str(), (folder + L"UNLHA32.DLL").c_str(),
                   FALSE))
    throw std::runtime_error("cannot copy the archiver library");
}

std::wstring InstallTestClockProgram(const std::wstring& folder, bool with_archiver) {
  return Install(L"testbin\\YorudexTestClock.exe", folder, with_archiver);
}

std::wstring InstallProgram(const std::wstring& folder, bool with_archiver) {
  return Install(L"dist\\Yorudex.exe", folder, with_archiver);
}

}  // namespace yx::test
