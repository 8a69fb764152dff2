#include "schedule/companion.h"

#include "schedule/task_xml.h"
#include "settings/settings_file.h"
#include "win/failure.h"
#include "win/file_system.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace yx::schedule {
namespace {

std::u16string U16(std::wstring_view text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

std::wstring Wide(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

std::string WithCode(const std::string& what, DWORD error) {
  return what + " (" + ErrorText(HRESULT_FROM_WIN32(error)) + ")";
}

// Why the settings file cannot be used, or empty.
std::string SettingsFault(const std::wstring& path, const std::string& path_cp932) {
  win::UniqueFile file(::CreateFileW(win::ToLongPath(path).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) return {};
  const win::Failure failure = win::Failure::Last("CreateFileW").At(path);
  if (failure.error == ERROR_FILE_NOT_FOUND || failure.error == ERROR_PATH_NOT_FOUND)
    return "設定ファイル " + path_cp932 +
           " がありません。Yorudex で起動日時を設定して「保存」してから登録してください。";
  return WithCode("設定ファイル " + path_cp932 + " を読めません", failure.error);
}

}  // namespace

std::wstring Wanted::TaskName() const { return Wide(schedule::TaskName(U16(folder))); }

std::wstring Wanted::Xml() const { return Wide(TaskXml(plan.plan, U16(folder))); }

Wanted ReadWanted(const std::wstring& exe_path) {
  Wanted wanted;
  wanted.folder = exe_path.substr(0, exe_path.find_last_of(L'\\') + 1);
  bool lossy = false;
  wanted.folder_cp932 = win::FromWide(wanted.folder, win::kCodePage932, &lossy);
  std::string& fault = wanted.plan.fault;
  if (lossy) {
    fault = "プログラムのフォルダ " + wanted.folder_cp932 +
            " の名前に Shift-JIS にない文字があります。Yorudex はこのフォルダでは動けません。";
    return wanted;
  }
  if (::GetFileAttributesW(win::ToLongPath(Wide(ProgramPath(U16(wanted.folder)))).c_str()) ==
      INVALID_FILE_ATTRIBUTES) {
    fault = "Yorudex.exe が " + wanted.folder_cp932 + " にありません。";
    return wanted;
  }
  const std::string ini = wanted.folder_cp932 + std::string(settings::kFileName);
  if (fault = SettingsFault(Wide(SettingsPath(U16(wanted.folder))), ini); !fault.empty())
    return wanted;
  wanted.plan = MakePlan(ScheduleFields(settings::LoadSettings(ini)));
  return wanted;
}

bool ConnectTasks(TaskService& tasks, std::string& failure) {
  const HRESULT hr = tasks.Connect();
  if (SUCCEEDED(hr)) return true;
  failure = "タスク スケジューラに接続できません (" + ErrorText(hr) + ")";
  return false;
}

std::string RegisterTask(const Wanted& wanted, TaskService& tasks) {
  if (!wanted.plan.fault.empty()) return wanted.plan.fault + " 何も登録しませんでした。";
  std::string failure;
  if (!ConnectTasks(tasks, failure)) return failure;
  const HRESULT hr = tasks.Register(wanted.TaskName(), wanted.Xml());
  if (FAILED(hr))
    return "タスク " + win::FromWide(wanted.TaskName()) +
           " を登録できません。登録済みのタスクがあれば、そのままです (" + ErrorText(hr) + ")";
  return {};
}

std::string RemoveTask(const std::wstring& task_name, TaskService& tasks) {
  std::string failure;
  if (!ConnectTasks(tasks, failure)) return failure;
  const HRESULT hr = tasks.Remove(task_name);
  if (FAILED(hr))
    return "タスク " + win::FromWide(task_name) + " を解除できません (" + ErrorText(hr) + ")";
  return {};
}

std::string ExportTask(const Wanted& wanted, const std::wstring& file) {
  if (!wanted.plan.fault.empty()) return wanted.plan.fault + " 何も書き出しませんでした。";
  const std::wstring xml = L"\xFEFF" + wanted.Xml();
  win::UniqueFile out(::CreateFileW(win::ToLongPath(file).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD put = 0;
  const DWORD bytes = static_cast<DWORD>(xml.size() * sizeof(wchar_t));
  if (!out || !::WriteFile(out.get(), xml.data(), bytes, &put, nullptr) || put != bytes) {
    const win::Failure failure = win::Failure::Last(out ? "WriteFile" : "CreateFileW");
    return WithCode("ファイル " + win::FromWide(file) + " に書き込めません", failure.error);
  }
  return {};
}

}  // namespace yx::schedule
