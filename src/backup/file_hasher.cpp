#include "backup/file_hasher.h"

#include "win/file_system.h"
#include "win/unique_handle.h"

namespace yx::backup {
namespace {

win::UniqueFile OpenToRead(const std::wstring& path) {
  return win::UniqueFile(::CreateFileW(win::ToLongPath(path).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

}  // namespace

DWORD FileHasher::Hash(const std::wstring& path, HashedFile& out,
                       const std::function<DWORD(HANDLE)>& own) {
  const win::UniqueFile file = OpenToRead(path);
  if (!file) return ::GetLastError();
  if (own)
    if (const DWORD refused = own(file.get()); refused != 0) return refused;
  hash_.Reset();
  uint64_t read = 0;
  for (DWORD got = 0;; read += got) {
    if (!::ReadFile(file.get(), buffer_.data(), static_cast<DWORD>(buffer_.size()), &got, nullptr))
      return ::GetLastError();
    if (got == 0) break;
    hash_.Update(buffer_.data(), got);
  }
  // What was read is what the backup holds, whatever the size said.
  out.size = read;
  out.hash = hash_.Digest();
  return 0;
}

}  // namespace yx::backup
