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

// The file's identity on its volume. By FileIdInfo (Windows 8 on), which
// Wine answers from the file alone: GetFileInformationByHandle asks the
// volume for its serial number, measured at a millisecond a file under Wine,
// more than reading a small file costs. Windows 7 lacks it: that call then.
bool Identify(HANDLE file, HashedFile& out) {
  struct IdInfo {
    ULONGLONG volume;
    uint64_t id[2];
  } info{};
  constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);
  if (::GetFileInformationByHandleEx(file, kFileIdInfo, &info, sizeof info)) {
    out.volume = static_cast<DWORD>(info.volume);
    out.identity = info.id[0] ^ info.id[1];
    return true;
  }
  BY_HANDLE_FILE_INFORMATION old;
  if (!::GetFileInformationByHandle(file, &old)) return false;
  out.volume = old.dwVolumeSerialNumber;
  out.identity = uint64_t{old.nFileIndexHigh} << 32 | old.nFileIndexLow;
  return true;
}

}  // namespace

DWORD FileHasher::Hash(const std::wstring& path, HashedFile& out, const Known& known) {
  const win::UniqueFile file = OpenToRead(path);
  if (!file || (known && !Identify(file.get(), out))) return ::GetLastError();
  if (known) {
    if (const std::optional<catalog::Hash128> hash = known(out)) {
      LARGE_INTEGER size{};
      if (!::GetFileSizeEx(file.get(), &size)) return ::GetLastError();
      out.size = static_cast<uint64_t>(size.QuadPart);
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
