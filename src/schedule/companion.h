#pragma once
// What the companion does, with or without its window: read the settings
// beside it, and register, remove or export the task they describe.
#include <string>

#include "schedule/launch_plan.h"
#include "schedule/task_service.h"

namespace yx::schedule {

inline constexpr char kTitle[] = "Yorudex 起動スケジュール";

// The settings beside the program, read afresh for each action.
struct Wanted {
  std::wstring folder;  // the program folder, ending in a backslash
  std::string folder_cp932;
  PlanResult plan;  // plan.fault also carries faults of the folder and the file
  [[nodiscard]] std::wstring TaskName() const;
  [[nodiscard]] std::wstring Xml() const;
};

// Refuses a folder whose path code page 932 cannot hold (the program keeps
// its paths in it), a folder without Yorudex.exe, and a settings file that is
// missing or cannot be read: the user has not saved a schedule yet.
[[nodiscard]] Wanted ReadWanted(const std::wstring& exe_path);

// Each gives an empty text on success, else why not (CP932).
[[nodiscard]] std::string RegisterTask(const Wanted& wanted, TaskService& tasks);
[[nodiscard]] std::string RemoveTask(const std::wstring& task_name, TaskService& tasks);
// UTF-16 LE with a byte-order mark, as the Task Scheduler's import expects.
[[nodiscard]] std::string ExportTask(const Wanted& wanted, const std::wstring& file);

// Connects, or gives why not in `failure`.
[[nodiscard]] bool ConnectTasks(TaskService& tasks, std::string& failure);

}  // namespace yx::schedule
