#include "win/whole_file.h"

#include <algorithm>
#include <limits>

#include "win/own_file.h"
#include "win/pause_point.h"
#include "win/unique_handle.h"

namespace yx::win {
namespace {

// The new bytes in a file of their own beside `path`. The plain name first,
// so that a file a killed save left behind is reused rather than left for
// good; a name of this process's own while another process writes that one.
bool WriteBeside(const std::wstring& path, std::string_view bytes, std::wstring& temp) {
  for (const std::wstring& name :
       {path + L".new", path + L"." + std::to_wstring(::GetCurrentProcessId()) + L".new"}) {
    temp = name;
    UniqueFile file(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      if (::GetLastError() == ERROR_SHARING_VIOLATION) continue;
      temp.clear();
      return false;
    }
    return WriteAll(file.get(), bytes) && ::FlushFileBuffers(file.get());
  }
  temp.clear();
  return false;
}

}  // namespace

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

ReadResult ReadWholeFile(const std::wstring& path, std::string& bytes, Links links) {
  UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::Missing
                                                                          : ReadResult::Failed;
  }
  if (links == Links::kRefused && ReachedThroughLink(file.get(), path)) {
    ::SetLastError(kReachedThroughLink);
    return ReadResult::Failed;
  }
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > std::numeric_limits<int>::max())
    return ReadResult::Failed;
  bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
  return ReadAll(file.get(), bytes) ? ReadResult::Read : ReadResult::Failed;
}

bool ReplaceWholeFile(const std::wstring& path, std::string_view bytes,
                      std::string_view pause_point) {
  std::wstring temp;
  bool done = WriteBeside(path, bytes, temp);
  if (done) {
    PausePoint(pause_point);
    done = ::MoveFileExW(temp.c_str(), path.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  }
  if (!done && !temp.empty()) {
    const DWORD error = ::GetLastError();
    ::DeleteFileW(temp.c_str());
    ::SetLastError(error);
  }
  return done;
}

}  // namespace yx::win
