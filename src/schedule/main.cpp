// The companion's entry. Without arguments it shows its window; /REGISTER,
// /REMOVE and /EXPORT FILE act without one for installers and scripts: they
// print nothing and end with status 0, or append the reason to log-error.txt
// beside the program and end with a non-zero status.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "schedule/companion.h"
#include "schedule/schedule_window.h"
#include "ui/companion_main.h"
#include "win/clock.h"
#include "win/file_system.h"
#include "win/program_arguments.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace yx::schedule {
namespace {

enum ExitStatus {
  kDone = 0,
  kNothingToRegister = 1,  // the settings or the folder do not allow it
  kSchedulerFailed = 2,
  kExportFailed = 3,
  kBadCommandLine = 4,
};

// The line the program's own unattended runs write there, with the command.
void AppendFailure(const std::wstring& folder, const std::wstring& command,
                   const std::string& reason) {
  const std::string line = FormatDateTime("yy/mm/dd hh:nn:ss", win::Now()) + "\tYorudexSchedule " +
                           win::FromWide(command) + ": " + reason + "\r\n";
  win::UniqueFile file(::CreateFileW(win::ToLongPath(folder + L"log-error.txt").c_str(),
                                     FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD put = 0;
  if (file)
    (void)::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &put, nullptr);
}

int RunCommand(const std::vector<std::wstring>& args, const std::wstring& exe) {
  const std::wstring command = win::SwitchWord(args[0]);
  const Wanted wanted = ReadWanted(exe);
  std::string failure;
  int status = kDone;
  TaskService tasks;
  if (command == L"/REGISTER" && args.size() == 1) {
    failure = RegisterTask(wanted, tasks);
    status = !wanted.plan.fault.empty() ? kNothingToRegister : kSchedulerFailed;
  } else if (command == L"/REMOVE" && args.size() == 1) {
    // Needs no settings: a task left by a copy whose settings are gone can
    // still be taken away.
    failure = RemoveTask(wanted.TaskName(), tasks);
    status = kSchedulerFailed;
  } else if (command == L"/EXPORT" && args.size() == 2) {
    failure = ExportTask(wanted, args[1]);
    status = !wanted.plan.fault.empty() ? kNothingToRegister : kExportFailed;
  } else {
    failure = "引数が違います。使えるのは /REGISTER、/REMOVE、/EXPORT ファイル名 です。";
    status = kBadCommandLine;
  }
  if (failure.empty()) return kDone;
  AppendFailure(wanted.folder, command, failure);
  return status;
}

}  // namespace
}  // namespace yx::schedule

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace yx::schedule;
  const ComApartment com;
  // The security of the calls to the Task Scheduler service, set as the
  // service's documented examples set it; when it fails, COM's defaults stand.
  (void)::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_PRIVACY,
                               RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, 0, nullptr);
  const std::wstring exe = yx::win::ExePath();
  return yx::ui::RunCompanion(
      instance, kTitle, kDone,
      [&](const std::vector<std::wstring>& args) { return RunCommand(args, exe); },
      [&](yx::ui::Application& app) {
        return std::make_unique<ScheduleWindow>(app, yx::ui::SystemDialogs(), exe);
      });
}
