#pragma once
// The Task Scheduler 2.0 COM API, as far as the companion uses it: one task in
// the root folder, registered from XML for the current user, read back and
// deleted. Every call gives its HRESULT; nothing is thrown.
#include <windows.h>
#include <taskschd.h>

#include <optional>
#include <string>

#include "schedule/com_ptr.h"
#include "schedule/registered_task.h"

namespace yx::schedule {

class TaskService {
 public:
  // Needs COM on this thread (ComApartment).
  [[nodiscard]] HRESULT Connect();

  // Creates the task or replaces it in one step: when the Task Scheduler
  // refuses the new definition, the task registered before stays as it was.
  [[nodiscard]] HRESULT Register(const std::wstring& name, const std::wstring& xml);
  // S_FALSE when there was no such task.
  [[nodiscard]] HRESULT Remove(const std::wstring& name);
  // `task` is empty when there is no such task (and the result S_FALSE).
  [[nodiscard]] HRESULT Read(const std::wstring& name, std::optional<RegisteredTask>& task);

 private:
  ComPtr<ITaskService> service_;
  ComPtr<ITaskFolder> root_;
};

// "0x80070005 アクセスが拒否されました。" (CP932), the code and the system's text for it.
[[nodiscard]] std::string ErrorText(HRESULT hr);

}  // namespace yx::schedule
