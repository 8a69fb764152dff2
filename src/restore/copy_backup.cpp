#include "restore/copy_backup.h"

#include "restore/wide_text.h"
#include "win/failure.h"
#include "win/file_system.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace yx::restore {
uint64_t FileTimeValue(const FILETIME& t) {
  return uint64_t{t.dwHighDateTime} << 32 | t.dwLowDateTime;
}

FILETIME ToFileTime(uint64_t value) {
  return {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

bool CopyBackup::List(std::vector<StoredEntry>& entries, std::string& unreadable) {
  // Folders still to list, as paths below the backup ("" for its top, else
  // ending in a backslash): a stack, so the depth of a tree costs no stack.
  std::vector<std::wstring> pending{L""};
  while (!pending.empty()) {
    const std::wstring below = std::move(pending.back());
    pending.pop_back();
    std::vector<std::wstring> folders;
    const bool listed = win::ForEachEntry(folder_ + below, [&](const WIN32_FIND_DATAW& found) {
      if (win::IsDotEntry(found)) return true;
      StoredEntry e;
      e.path = U16(below + found.cFileName);
      e.folder = win::IsFolder(found);
      e.size = e.folder ? 0 : uint64_t{found.nFileSizeHigh} << 32 | found.nFileSizeLow;
      e.created = FileTimeValue(found.ftCreationTime);
      e.modified = FileTimeValue(found.ftLastWriteTime);
      e.accessed = FileTimeValue(found.ftLastAccessTime);
      e.attributes = found.dwFileAttributes;
      if (e.folder) folders.push_back(below + found.cFileName + L"\\");
      entries.push_back(std::move(e));
      return true;
    });
    if (!listed) {
      const win::Failure failure = win::Failure::Last("FindFirstFileW").At(folder_ + below);
      if (!unreadable.empty()) unreadable += "\r\n";
      unreadable += failure.Text();
    }
    pending.insert(pending.end(), folders.rbegin(), folders.rend());
  }
  return unreadable.empty();
}

ExtractResult CopyBackup::Extract(const StoredEntry& entry, const ContentSink& sink,
                                  std::string& failure) {
  const std::wstring path = folder_ + Wide(entry.path);
  win::UniqueFile file(::CreateFileW(win::ToLongPath(path).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  std::vector<uint8_t> buffer(1 << 20);
  for (DWORD got = 0;;) {
    if (!file ||
        !::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
      failure = win::Failure::Last(file ? "ReadFile" : "CreateFileW").At(path).Text();
      return ExtractResult::kBackupUnreadable;
    }
    if (got == 0) return ExtractResult::kOk;
    if (!sink(buffer.data(), got)) return ExtractResult::kSinkFailed;
  }
}

}  // namespace yx::restore
