#include "restore/copy_backup.h"

#include "restore/wide_text.h"
#include "win/failure.h"
#include "win/file_system.h"
#include "win/text.h"
#include "win/tree_writer.h"
#include "win/unique_handle.h"

namespace yx::restore {
uint64_t FileTimeValue(const FILETIME& t) {
  return uint64_t{t.dwHighDateTime} << 32 | t.dwLowDateTime;
}

FILETIME ToFileTime(uint64_t value) {
  return {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

namespace {

// The path the system opened, below its volume's root (folded); empty when
// it does not say.
std::wstring OpenedPath(HANDLE handle) {
  std::vector<uint8_t> block(sizeof(FILE_NAME_INFO) + 32768 * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_NAME_INFO*>(block.data());
  if (!::GetFileInformationByHandleEx(handle, FileNameInfo, info, static_cast<DWORD>(block.size())))
    return {};
  return win::FoldedName(std::wstring(info->FileName, info->FileNameLength / sizeof(wchar_t)));
}

}  // namespace

// A link to a file is listed as a file (under Wine with no reparse bit at
// all): the path the system opened tells it, since a file reached through a
// link has its target's path.
bool CopyBackup::Inside(HANDLE file, const StoredEntry& entry) {
  if (folder_opened_.empty()) {
    win::UniqueFile folder(::CreateFileW(
        win::ToLongPath(folder_).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    folder_opened_ = folder ? OpenedPath(folder.get()) : std::wstring();
    if (folder_opened_.empty()) return true;  // nothing to tell it by: as before
    if (folder_opened_.back() != L'\\') folder_opened_ += L'\\';
  }
  return OpenedPath(file) == folder_opened_ + win::FoldedName(Wide(entry.path));
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
      // Yorudex writes no links: one there was put there since, and what
      // it leads to is no part of the backup.
      e.link = win::IsLink(found);
      if (e.folder && !e.link) folders.push_back(below + found.cFileName + L"\\");
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
  if (file && !Inside(file.get(), entry)) {
    failure = win::FromWide(path) + ": バックアップの中のリンクなので復元しません。";
    return ExtractResult::kBackupUnreadable;
  }
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
