#include "app/month_log_start.h"

#include "win/clock.h"
#include "win/file_system.h"
#include "win/text.h"

namespace yx::app {

void StartMonthLog(run::RunSession& session, const std::string& log_dir, run::SessionFront& front) {
  const std::wstring folder = win::WidePath(log_dir);
  if (!win::FolderExists(folder) && !win::CreateOneFolder(folder))
    session.Log().Append("LOG格納フォルダの作成に失敗しました");
  else
    (void)session.LoadMonthLog(win::Now(), front);
}

}  // namespace yx::app
