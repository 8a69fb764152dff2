#include <windows.h>

#include <limits>

#include "base/file_error.h"
#include "log/run_log.h"
#include "win/file_system.h"
#include "win/unique_handle.h"

namespace yx::log {

void RunLog::LoadLog(const std::string& cp932_path) {
  const std::wstring path = win::ToLongPath(win::WidePath(cp932_path));
  if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
      ::GetLastError() == ERROR_FILE_NOT_FOUND)
    return;
  // Others may read it meanwhile, but not write it.
  win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) {
    if (::GetLastError() == ERROR_FILE_NOT_FOUND) return;
    throw MakeFileError("ファイル %s は開けません", cp932_path);
  }
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > std::numeric_limits<int>::max())
    throw MakeFileError("ファイル %s は開けません", cp932_path);
  std::string content(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  while (done < content.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1 << 24));
    if (!::ReadFile(file.get(), content.data() + done, want, &got, nullptr))
      throw MakeFileError("ファイル %s は開けません", cp932_path);
    if (got == 0) break;
    done += got;
  }
  content.resize(done);
  text_ = NormalizeLineEnds(content);
  if (on_reset) on_reset(text_);
}

void RunLog::SaveLog(const std::string& cp932_path) const {
  const std::wstring path = win::ToLongPath(win::WidePath(cp932_path));
  const std::wstring temp = path + L"." + std::to_wstring(::GetCurrentProcessId()) + L".new";
  bool written = false;
  {
    win::UniqueFile file(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
      written = true;
      size_t done = 0;
      while (written && done < text_.size()) {
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(text_.size() - done, 1 << 24));
        written = ::WriteFile(file.get(), text_.data() + done, want, &put, nullptr) && put == want;
        done += put;
      }
      written = written && ::FlushFileBuffers(file.get());
    }
  }
  if (written && ::MoveFileExW(temp.c_str(), path.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return;
  ::DeleteFileW(temp.c_str());
  throw MakeFileError("ファイル %s を作成できません", cp932_path);
}

}  // namespace yx::log
