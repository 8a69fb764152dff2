// Saving the run log at the end of a run, and what happens when it cannot be
// saved: a message when someone is there to read it; otherwise the reason and
// the run's own lines go into a fallback file beside the program, and the
// exit status tells the scheduler that started the run that something is
// wrong.
#include "app/folder_lock.h"
#include "app/settings_form.h"
#include "base/file_error.h"
#include "win/clock.h"
#include "win/file_system.h"
#include "win/whole_file.h"

namespace yx::app {
namespace {

// The fallback file is rewritten whole, as the log is: a full disk leaves it
// as it was (or absent), never empty or cut short.
void AppendToFallback(const std::string& path, const std::string& entry) {
  const std::wstring wide = win::ToLongPath(win::WidePath(path));
  std::string bytes;
  if (wide.empty() || win::ReadWholeFile(wide, bytes) == win::ReadResult::Failed) return;
  bytes += entry;
  (void)win::ReplaceWholeFile(wide, bytes, "log-error-save");
}

}  // namespace

void TForm2::ReloadRunLog() {
  // The month's file as it stands now: a scheduled run may have written it
  // while the window was open, or the month may have changed since the last
  // run. A file that cannot be read now is tried again at the save.
  try {
    log_.LoadLog(LogFile);
  } catch (const FileError&) {
  }
}

void TForm2::SaveRunLog() {
  // Another process may be saving the same log (a run refused while this one
  // goes on): one read-add-replace at a time, or one save would drop the
  // other's lines. A save never takes long; past the wait it goes ahead.
  const std::optional<FolderLock> turn = FolderLock::Take(AppDir, L"log", 30000);
  std::string failure;
  try {
    log_.SaveLog(LogFile);
    return;
  } catch (const FileError& e) {
    failure = e.what();
  }
  if (!AutoMode) {
    dialogs_.ShowError(hwnd_, app_.Title(), failure);
    return;
  }
  // Nobody may be there to read a message: the reason, then the lines the
  // run could not put in its log, so that the file says what the run did.
  AppendToFallback(AppDir + "log-error.txt", FormatDateTime(log::kStamp, win::Now()) + "\t" +
                                                 failure + "\r\n" + log_.Unsaved());
  exit_status_ = 1;
}

}  // namespace yx::app
