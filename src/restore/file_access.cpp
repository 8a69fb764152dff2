#include "restore/file_access.h"

#include "win/file_system.h"
#include "win/own_file.h"
#include "win/unique_handle.h"

namespace yx::restore {

bool FileAccess::List(const std::wstring& folder, const Visit& visit) {
  return win::ForEachEntry(folder, visit);
}

bool FileAccess::ReadStart(const std::wstring& path, size_t most, std::string& bytes) {
  const win::UniqueFile file(::CreateFileW(win::ToLongPath(path).c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
  bytes.resize(most);
  DWORD got = 0;
  if (file && win::ReachedThroughLink(file.get(), path)) {
    ::SetLastError(win::kReachedThroughLink);
    return false;
  }
  if (!file || !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(most), &got, nullptr))
    return false;
  bytes.resize(got);
  return true;
}

FileAccess& SystemFileAccess() {
  static FileAccess access;
  return access;
}

}  // namespace yx::restore
