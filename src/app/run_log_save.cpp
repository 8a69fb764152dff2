// Saving the run log at the end of a run, and what happens when it cannot be
// saved: a message when someone is there to read it; otherwise a line in a
// fallback file beside the program and a non-zero exit status, so that the
// scheduler that started the run can see that something is wrong.
#include "app/settings_form.h"
#include "base/file_error.h"
#include "win/clock.h"
#include "win/file_system.h"
#include "win/unique_handle.h"

namespace yx::app {
namespace {

void AppendToFallback(const std::string& path, const std::string& line) {
  win::UniqueFile file(::CreateFileW(win::ToLongPath(win::WidePath(path)).c_str(), FILE_APPEND_DATA,
                                     FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
  if (!file) return;
  DWORD put = 0;
  (void)::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &put, nullptr);
}

}  // namespace

void TForm2::RecoverUnreadLog() {
  if (unread_log_.empty() || unread_log_ != LogFile) return;
  log::RunLog earlier;
  try {
    earlier.LoadLog(LogFile);
  } catch (const FileError&) {
    return;  // still unreadable: the save below will fail and say so
  }
  log_.Prepend(earlier.Text());
  unread_log_.clear();
}

void TForm2::SaveRunLog() {
  RecoverUnreadLog();
  std::string failure;
  if (!unread_log_.empty() && unread_log_ == LogFile) {
    // Replacing a file whose lines were never read would erase them.
    failure = MakeFileError("ファイル %s を作成できません", LogFile).what();
  } else {
    try {
      log_.SaveLog(LogFile);
      return;
    } catch (const FileError& e) {
      failure = e.what();
    }
  }
  if (!AutoMode) {
    dialogs_.ShowError(hwnd_, app_.Title(), failure);
    return;
  }
  AppendToFallback(AppDir + "log-error.txt",
                   FormatDateTime("yy/mm/dd hh:nn:ss", win::Now()) + "\t" + failure + "\r\n");
  exit_status_ = 1;
}

}  // namespace yx::app
