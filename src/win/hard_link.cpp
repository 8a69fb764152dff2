#include "win/hard_link.h"

#include <winternl.h>

#include <cstring>
#include <vector>

#include "win/file_system.h"
#include "win/own_file.h"
#include "win/unique_handle.h"

extern "C" NTSTATUS NTAPI NtSetInformationFile(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG,
                                               FILE_INFORMATION_CLASS);

namespace yx::win {
namespace {

// FILE_LINK_INFORMATION of the driver kit, which the SDK's headers lack.
struct LinkInformation {
  BOOLEAN replace_if_exists;
  HANDLE root_directory;
  ULONG name_bytes;
  WCHAR name[1];
};
constexpr auto kFileLinkInformation = static_cast<FILE_INFORMATION_CLASS>(11);

}  // namespace

DWORD MakeHardLink(const std::wstring& link, const std::wstring& existing) {
  // The access CreateHardLinkW asks for; a read-only file grants it.
  const UniqueFile file(::CreateFileW(
      ToLongPath(existing).c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return ::GetLastError();
  if (ReachedThroughLink(file.get(), existing)) return kReachedThroughLink;
  // The new name in the system's own form: "\??\C:\..." or "\??\UNC\...".
  std::wstring name = ToLongPath(link);
  if (!name.starts_with(L"\\\\?\\")) return ERROR_INVALID_NAME;
  name[1] = L'?';
  std::vector<char> buffer(sizeof(LinkInformation) + name.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<LinkInformation*>(buffer.data());
  info->replace_if_exists = FALSE;
  info->root_directory = nullptr;
  info->name_bytes = static_cast<ULONG>(name.size() * sizeof(wchar_t));
  std::memcpy(info->name, name.data(), info->name_bytes);
  IO_STATUS_BLOCK io{};
  const NTSTATUS status = NtSetInformationFile(
      file.get(), &io, info, static_cast<ULONG>(buffer.size()), kFileLinkInformation);
  return status == 0 ? ERROR_SUCCESS : ::RtlNtStatusToDosError(status);
}

}  // namespace yx::win
