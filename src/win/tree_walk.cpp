#include "win/tree_walk.h"

#include "win/file_system.h"
#include "win/unique_handle.h"

namespace yx::win {
DWORD TreeWalk::ListFolder(const std::wstring& folder, std::vector<Entry>& out) {
  const bool listed = ForEachEntry(folder, [&](const WIN32_FIND_DATAW& e) {
    if (!IsDotEntry(e))
      out.push_back({e.cFileName, e.dwFileAttributes,
                     (uint64_t{e.nFileSizeHigh} << 32) | e.nFileSizeLow, e.ftLastWriteTime, 0,
                     e.ftCreationTime});
    return true;
  });
  if (listed) return 0;
  return ::GetLastError();
}

DWORD TreeWalk::ListFolderWithIds(const std::wstring& folder, std::vector<Entry>& out) {
  const UniqueFile handle(::CreateFileW(ToLongPath(folder).c_str(), FILE_LIST_DIRECTORY,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
  if (!handle) return ::GetLastError();
  // 8-byte aligned, as the records are.
  std::vector<uint64_t> buffer(64 * 1024 / sizeof(uint64_t));
  for (;;) {
    if (!::GetFileInformationByHandleEx(handle.get(), FileIdBothDirectoryInfo, buffer.data(),
                                        static_cast<DWORD>(buffer.size() * sizeof(uint64_t)))) {
      const DWORD error = ::GetLastError();
      return error == ERROR_NO_MORE_FILES ? 0 : error;
    }
    for (const auto* bytes = reinterpret_cast<const uint8_t*>(buffer.data());;) {
      const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes);
      const std::wstring_view name(info->FileName, info->FileNameLength / sizeof(wchar_t));
      if (name != L"." && name != L"..") {
        const auto time = [](const LARGE_INTEGER& t) {
          return FILETIME{static_cast<DWORD>(t.QuadPart), static_cast<DWORD>(t.QuadPart >> 32)};
        };
        out.push_back({std::wstring(name), info->FileAttributes,
                       static_cast<uint64_t>(info->EndOfFile.QuadPart), time(info->LastWriteTime),
                       static_cast<uint64_t>(info->FileId.QuadPart), time(info->CreationTime)});
      }
      if (info->NextEntryOffset == 0) break;
      bytes += info->NextEntryOffset;
    }
  }
}

std::optional<FolderId> IdentifyFolder(const std::wstring& path) {
  // Backup semantics is what lets CreateFile open a folder; without
  // FILE_FLAG_OPEN_REPARSE_POINT a link is followed to its target.
  UniqueFile folder(::CreateFileW(ToLongPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!folder) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(folder.get(), &info)) return std::nullopt;
  return FolderId{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

bool FolderIsWithin(std::wstring_view folder, std::wstring_view outer) {
  const std::optional<FolderId> outer_id = IdentifyFolder(FullPath(outer));
  if (!outer_id) return false;
  std::wstring path = FullPath(folder);
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  for (;;) {
    if (IdentifyFolder(path + L'\\') == outer_id) return true;
    const size_t cut = path.find_last_of(L'\\');
    if (cut == std::wstring::npos || cut == 0) return false;
    path.resize(cut);
  }
}

TreeWalk::TreeWalk(std::wstring root, bool ids)
    : path_(std::move(root)), root_length_(path_.size()), ids_(ids) {
  frames_.emplace_back().length = path_.size();
}

TreeWalk::Step TreeWalk::Next() {
  if (frames_.empty()) return Step::kEnd;
  Frame& frame = frames_.back();
  if (!frame.listed) {
    frame.listed = true;
    error_ = ids_ ? ListFolderWithIds(path_, frame.entries) : ListFolder(path_, frame.entries);
    if (error_ != 0) return Step::kUnlistable;
  }
  if (frame.next < frame.entries.size()) {
    ++frame.next;
    return Step::kEntry;
  }
  if (frame.left) {
    frames_.pop_back();
    if (frames_.empty()) return Step::kEnd;
    path_.resize(frames_.back().length);
    return Next();
  }
  frame.left = true;
  return Step::kLeave;
}

void TreeWalk::Descend() {
  path_ += Current().name;
  path_ += L'\\';
  frames_.emplace_back().length = path_.size();
}

bool TreeWalk::LeadsBack() {
  return LinkLeadsBack(CurrentPath(), frames_,
                       [this](const Frame& frame) { return path_.substr(0, frame.length); });
}

}  // namespace yx::win
