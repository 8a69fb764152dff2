#include <windows.h>

#include "base/file_error.h"
#include "log/run_log.h"
#include "win/fault_line.h"
#include "win/file_system.h"
#include "win/unique_handle.h"
#include "win/whole_file.h"

namespace yx::log {

namespace {

// A log that another program holds open (a viewer following it) can be
// neither read whole nor replaced, but it may let others write. The lines
// are then added at its end: the earlier bytes are never touched, so a crash
// cannot cut them short.
bool AppendInPlace(const std::wstring& path, const std::vector<std::string>& lines) {
  win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !::GetFileSizeEx(file.get(), &size)) return false;
  std::string last(size.QuadPart > 0 ? 1 : 0, '\0');
  const LARGE_INTEGER before_last{.QuadPart = size.QuadPart - 1};
  if (!last.empty() && (!::SetFilePointerEx(file.get(), before_last, nullptr, FILE_BEGIN) ||
                        !win::ReadAll(file.get(), last)))
    return false;
  const bool open_end = !last.empty() && last != "\n" && last != "\r";
  const LARGE_INTEGER end{};
  return ::SetFilePointerEx(file.get(), end, nullptr, FILE_END) &&
         win::WriteAll(file.get(), JoinedLines(lines, open_end)) && ::FlushFileBuffers(file.get());
}

}  // namespace

void RunLog::LoadLog(const std::string& cp932_path) {
  std::string content;
  switch (win::ReadWholeFile(win::ToLongPath(win::WidePath(cp932_path)), content)) {
    case win::ReadResult::Failed: {
      const win::Failure failure = win::Failure::Last("ReadFile");
      throw win::SystemFileError("ファイル %s は開けません", cp932_path, failure);
    }
    case win::ReadResult::Missing:
    case win::ReadResult::Read:
      break;
  }
  text_ = NormalizeLineEnds(content);
  text_ += JoinedLines(unsaved_, !text_.empty() && !text_.ends_with("\r\n"));
  if (on_reset) on_reset(text_);
}

void RunLog::SaveLog(const std::string& cp932_path) {
  const std::wstring path = win::ToLongPath(win::WidePath(cp932_path));
  std::string content;
  if (!path.empty() && win::ReadWholeFile(path, content) != win::ReadResult::Failed) {
    std::string merged = NormalizeLineEnds(content);
    merged += JoinedLines(unsaved_, !merged.empty() && !merged.ends_with("\r\n"));
    if (win::ReplaceWholeFile(path, merged, "log-save")) {
      unsaved_.clear();
      if (merged != text_) {
        text_ = std::move(merged);
        if (on_reset) on_reset(text_);
      }
      return;
    }
  }
  if (!path.empty() && AppendInPlace(path, unsaved_)) {
    unsaved_.clear();
    return;
  }
  const win::Failure failure =
      path.empty() ? win::Failure{"", ERROR_INVALID_NAME, {}} : win::Failure::Last("WriteFile");
  throw win::SystemFileError("ファイル %s を作成できません", cp932_path, failure);
}

}  // namespace yx::log
