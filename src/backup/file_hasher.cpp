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

bool Describe(HANDLE file, HashedFile& out) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(file, &info)) return false;
  out.volume = info.dwVolumeSerialNumber;
  out.identity = uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow;
  out.size = uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
  return true;
}

}  // namespace

DWORD FileHasher::Hash(const std::wstring& path, HashedFile& out, const Known& known) {
  const win::UniqueFile file = OpenToRead(path);
  if (!file || !Describe(file.get(), out)) return ::GetLastError();
  if (known) {
    if (const std::optional<catalog::Hash128> hash = known(out)) {
      out.hash = *hash;
      return 0;
    }
  }
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
