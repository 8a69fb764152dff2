#include <windows.h>

#include <algorithm>
#include <limits>

#include "base/file_error.h"
#include "log/run_log.h"
#include "win/file_system.h"
#include "win/unique_handle.h"

namespace yx::log {

namespace {

// Reads `bytes.size()` bytes from the file's current position.
bool ReadAll(HANDLE file, std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 24));
    if (!::ReadFile(file, bytes.data() + done, want, &got, nullptr) || got == 0) return false;
    done += got;
  }
  return true;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD put = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 24));
    if (!::WriteFile(file, bytes.data() + done, want, &put, nullptr) || put != want) return false;
    done += put;
  }
  return true;
}

// The new text in a file of its own beside the log. The plain name first, so
// that a file a killed save left behind is reused rather than left for good;
// a name of this process's own while another process is writing that one.
bool WriteBeside(const std::wstring& path, std::string_view text, std::wstring& temp) {
  for (const std::wstring& name :
       {path + L".new", path + L"." + std::to_wstring(::GetCurrentProcessId()) + L".new"}) {
    temp = name;
    win::UniqueFile file(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      if (::GetLastError() == ERROR_SHARING_VIOLATION) continue;
      return false;
    }
    return WriteAll(file.get(), text) && ::FlushFileBuffers(file.get());
  }
  return false;
}

// A log that another program holds open (a viewer following it) cannot be
// replaced. When it may be written and still holds exactly the lines this
// text begins with, the run's lines are added at its end instead: the earlier
// bytes are never touched, so a crash cannot cut them short.
bool AppendInPlace(const std::wstring& path, std::string_view text) {
  win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !::GetFileSizeEx(file.get(), &size) ||
      static_cast<unsigned long long>(size.QuadPart) > text.size())
    return false;
  std::string present(static_cast<size_t>(size.QuadPart), '\0');
  if (!ReadAll(file.get(), present) || text.substr(0, present.size()) != present) return false;
  const LARGE_INTEGER end{};
  return ::SetFilePointerEx(file.get(), end, nullptr, FILE_END) &&
         WriteAll(file.get(), text.substr(present.size())) && ::FlushFileBuffers(file.get());
}

}  // namespace

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
  if (!ReadAll(file.get(), content)) throw MakeFileError("ファイル %s は開けません", cp932_path);
  text_ = NormalizeLineEnds(content);
  if (on_reset) on_reset(text_);
}

void RunLog::SaveLog(const std::string& cp932_path) const {
  const std::wstring path = win::ToLongPath(win::WidePath(cp932_path));
  std::wstring temp;
  const bool written = WriteBeside(path, text_, temp);
  if (written &&
      ::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return;
  if (!temp.empty()) ::DeleteFileW(temp.c_str());
  if (written && AppendInPlace(path, text_)) return;
  throw MakeFileError("ファイル %s を作成できません", cp932_path);
}

}  // namespace yx::log
