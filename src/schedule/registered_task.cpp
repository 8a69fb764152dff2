#include "schedule/registered_task.h"

namespace yx::schedule {
namespace {

// File names on Windows compare without case; only ASCII is folded here,
// which is all that the program's own paths can differ in.
bool SamePath(std::u16string_view a, std::u16string_view b) {
  if (a.size() >= 2 && a.front() == u'"' && a.back() == u'"') a = a.substr(1, a.size() - 2);
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char16_t c) {
      return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
    };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

}  // namespace

bool SameTask(const RegisteredTask& task, const LaunchPlan& plan, std::u16string_view folder) {
  return !task.unreadable && !task.other_triggers && task.triggers == Triggers(plan) &&
         SamePath(task.command, ProgramPath(folder)) && task.arguments == u"/AUTO" &&
         SamePath(task.working_folder, WorkingFolder(folder));
}

std::string DescribeRegistered(const RegisteredTask& task) {
  if (task.unreadable)
    return "登録されていますが、タスク スケジューラから起動日時を読み取れません。";
  if (task.triggers.empty() && !task.other_triggers)
    return "起動日時のないタスクが登録されています。";
  const std::optional<LaunchPlan> plan =
      task.other_triggers ? std::nullopt : PlanFromTriggers(task.triggers);
  if (!plan) return "このプログラムが作ったのとは違う起動条件のタスクがあります。";
  return Describe(*plan);
}

}  // namespace yx::schedule
