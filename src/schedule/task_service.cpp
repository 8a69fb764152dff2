#include "schedule/task_service.h"

#include <cstdio>

#include "win/fault_line.h"
#include "win/text.h"

namespace yx::schedule {
namespace {

// mingw-w64's taskschd.h lacks the weekly trigger's interface; this is the
// documented one (ITrigger followed by these six, in this order).
constexpr IID kIidWeeklyTrigger = {
    0x5038fc98, 0x82ff, 0x436d, {0x87, 0x28, 0xa5, 0x12, 0xa5, 0x7c, 0x9d, 0xc1}};
struct IWeeklyTrigger : public ITrigger {
  virtual HRESULT STDMETHODCALLTYPE get_DaysOfWeek(short* days) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_DaysOfWeek(short days) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_WeeksInterval(short* weeks) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_WeeksInterval(short weeks) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_RandomDelay(BSTR* delay) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_RandomDelay(BSTR delay) = 0;
};

bool NoSuchTask(HRESULT hr) {
  return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
         hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

std::u16string Text(const Bstr& text) {
  const std::wstring_view view = text.View();
  return std::u16string(reinterpret_cast<const char16_t*>(view.data()), view.size());
}

// The weekly trigger's days, start and repetition; other kinds only counted.
HRESULT ReadTrigger(ITrigger& trigger, RegisteredTask& task) {
  TASK_TRIGGER_TYPE2 type = TASK_TRIGGER_EVENT;
  if (HRESULT hr = trigger.get_Type(&type); FAILED(hr)) return hr;
  ComPtr<IWeeklyTrigger> weekly;
  short days = 0, weeks = 0;
  if (type != TASK_TRIGGER_WEEKLY ||
      FAILED(trigger.QueryInterface(kIidWeeklyTrigger, reinterpret_cast<void**>(weekly.Put()))) ||
      FAILED(weekly->get_DaysOfWeek(&days)) || FAILED(weekly->get_WeeksInterval(&weeks)) ||
      weeks != 1) {
    task.other_triggers = true;
    return S_OK;
  }
  WeeklyTrigger read_back;
  read_back.days = DaysFromMask(days);
  Bstr start;
  if (FAILED(trigger.get_StartBoundary(start.Put())) || !BoundaryTime(Text(start))) {
    task.other_triggers = true;
    return S_OK;
  }
  read_back.start = *BoundaryTime(Text(start));
  ComPtr<IRepetitionPattern> repetition;
  Bstr interval, duration;
  if (SUCCEEDED(trigger.get_Repetition(repetition.Put())) && repetition &&
      SUCCEEDED(repetition->get_Interval(interval.Put())) && !interval.View().empty()) {
    (void)repetition->get_Duration(duration.Put());
    const int every = DurationMinutes(Text(interval));
    read_back.interval_hours = every > 0 && every % 60 == 0 ? every / 60 : -1;
    read_back.duration_minutes = DurationMinutes(Text(duration));
  }
  task.triggers.push_back(read_back);
  return S_OK;
}

HRESULT ReadTriggers(ITaskDefinition& definition, RegisteredTask& task) {
  ComPtr<ITriggerCollection> triggers;
  long count = 0;
  if (HRESULT hr = definition.get_Triggers(triggers.Put()); FAILED(hr)) return hr;
  if (HRESULT hr = triggers->get_Count(&count); FAILED(hr)) return hr;
  for (long i = 1; i <= count; ++i) {  // the collection counts from 1
    ComPtr<ITrigger> trigger;
    if (HRESULT hr = triggers->get_Item(i, trigger.Put()); FAILED(hr)) return hr;
    if (HRESULT hr = ReadTrigger(*trigger.get(), task); FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT ReadAction(ITaskDefinition& definition, RegisteredTask& task) {
  ComPtr<IActionCollection> actions;
  if (HRESULT hr = definition.get_Actions(actions.Put()); FAILED(hr)) return hr;
  long count = 0;
  if (FAILED(actions->get_Count(&count)) || count < 1) return S_OK;
  ComPtr<IAction> action;
  ComPtr<IExecAction> exec;
  if (FAILED(actions->get_Item(1, action.Put())) || FAILED(action.As(exec))) return S_OK;
  Bstr path, arguments, folder;
  (void)exec->get_Path(path.Put());
  (void)exec->get_Arguments(arguments.Put());
  (void)exec->get_WorkingDirectory(folder.Put());
  task.command = Text(path);
  task.arguments = Text(arguments);
  task.working_folder = Text(folder);
  return S_OK;
}

}  // namespace

HRESULT TaskService::Connect() {
  HRESULT hr = ::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                  __uuidof(ITaskService), reinterpret_cast<void**>(service_.Put()));
  if (FAILED(hr)) return hr;
  VARIANT none{};
  ::VariantInit(&none);
  if (hr = service_->Connect(none, none, none, none); FAILED(hr)) return hr;
  Bstr root(L"\\");
  return service_->GetFolder(root.get(), root_.Put());
}

HRESULT TaskService::Register(const std::wstring& name, const std::wstring& xml) {
  Bstr task_name(name), task_xml(xml);
  VARIANT none{};
  ::VariantInit(&none);
  ComPtr<IRegisteredTask> registered;
  // No user and no password with the interactive token: the current user,
  // and only while logged on.
  return root_->RegisterTask(task_name.get(), task_xml.get(), TASK_CREATE_OR_UPDATE, none, none,
                             TASK_LOGON_INTERACTIVE_TOKEN, none, registered.Put());
}

HRESULT TaskService::Remove(const std::wstring& name) {
  Bstr task_name(name);
  const HRESULT hr = root_->DeleteTask(task_name.get(), 0);
  return NoSuchTask(hr) ? S_FALSE : hr;
}

HRESULT TaskService::Read(const std::wstring& name, std::optional<RegisteredTask>& task) {
  task.reset();
  Bstr task_name(name);
  ComPtr<IRegisteredTask> registered;
  HRESULT hr = root_->GetTask(task_name.get(), registered.Put());
  if (NoSuchTask(hr)) return S_FALSE;
  if (FAILED(hr)) return hr;
  ComPtr<ITaskDefinition> definition;
  if (hr = registered->get_Definition(definition.Put()); FAILED(hr)) return hr;
  RegisteredTask read;
  if (FAILED(ReadTriggers(*definition.get(), read)) ||
      FAILED(ReadAction(*definition.get(), read))) {
    read.triggers.clear();
    read.unreadable = true;
  }
  // Wine answers these with E_NOTIMPL: the run is then not reported, rather
  // than shown as a run at 1899-12-30.
  DATE last_time = 0;
  LONG last_result = 0;
  read.last_run.reported = SUCCEEDED(registered->get_LastRunTime(&last_time)) &&
                           SUCCEEDED(registered->get_LastTaskResult(&last_result));
  read.last_run.time = last_time;
  read.last_run.result = last_result;
  task = std::move(read);
  return S_OK;
}

std::string ErrorText(HRESULT hr) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
  const std::wstring message = win::SystemText(static_cast<DWORD>(hr));
  return message.empty() ? std::string(code) : std::string(code) + " " + win::FromWide(message);
}

}  // namespace yx::schedule
