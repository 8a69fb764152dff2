// Counting and copying of source trees for the progress window. Every path is
// wide and goes to the file system with the "\\?\" prefix (inside
// ForEachEntry and CreateOneFolder, and here for the copy), so names outside
// code page 932 and trees deeper than MAX_PATH are copied like any other.
#include "backup/tree_copier.h"

#include <cstdint>

#include "backup/progress_form.h"
#include "win/file_system.h"
#include "win/pause_point.h"
#include "win/unique_handle.h"

namespace yx::backup {
namespace {

// A file larger than this refreshes the gauge by itself: copying it took long
// enough for the window to deserve a repaint.
constexpr int32_t kLargeFile = 1000000;
// Otherwise the gauge moves every this many files.
constexpr int32_t kFilesPerRefresh = 4;

}  // namespace

std::optional<FolderId> IdentifyFolder(const std::wstring& path) {
  // Backup semantics is what lets CreateFile open a folder; without
  // FILE_FLAG_OPEN_REPARSE_POINT a link is followed to its target.
  win::UniqueFile folder(::CreateFileW(win::ToLongPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                       nullptr));
  if (!folder) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(folder.get(), &info)) return std::nullopt;
  return FolderId{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

bool FolderTrail::LeadsBack(const std::wstring& link) {
  const std::optional<FolderId> target = IdentifyFolder(link);
  if (!target) return false;
  for (Entered& step : steps_) {
    if (!step.identified) {
      step.id = IdentifyFolder(step.path);
      step.identified = true;
    }
    if (step.id == target) return true;
  }
  return false;
}

void TForm3::ExcludeFolder(const std::wstring& folder) { excluded_ = IdentifyFolder(folder); }

bool TForm3::Excluded(const std::wstring& folder) const {
  return excluded_ && IdentifyFolder(folder) == excluded_;
}

bool TForm3::CountFiles(const std::wstring& folder) {
  FolderTrail trail;
  return CountIn(folder, trail);
}

bool TForm3::CountIn(const std::wstring& folder, FolderTrail& trail) {
  const FolderTrail::Step step(trail, folder);
  ShowFileTotal();
  app_.ProcessMessages();
  bool counted = true;
  // A folder that cannot be listed counts as empty.
  (void)win::ForEachEntry(folder, [&](const WIN32_FIND_DATAW& entry) {
    if (cancel_requested_) return counted = false;
    if (win::IsDotEntry(entry)) return true;
    if (!win::IsFolder(entry)) {
      ++FileTotal;
      return true;
    }
    std::wstring sub = folder + entry.cFileName + L'\\';
    if ((win::IsLink(entry) && trail.LeadsBack(sub)) || Excluded(sub)) return true;
    ShowFileTotal();
    app_.ProcessMessages();
    return counted = CountIn(sub, trail);
  });
  return counted;
}

void TForm3::RefreshGauge() {
  gauge_.SetProgress(FilesCopied);
  app_.ProcessMessages();
}

bool TForm3::CopyTree(const std::wstring& destination, const std::wstring& source) {
  FolderTrail trail;
  return CopyInto(destination, source, trail);
}

bool TForm3::CopyInto(const std::wstring& destination, const std::wstring& source,
                      FolderTrail& trail) {
  const FolderTrail::Step step(trail, source);
  RefreshGauge();
  bool copied = true;
  (void)win::ForEachEntry(source, [&](const WIN32_FIND_DATAW& entry) {
    if (cancel_requested_) return copied = false;
    if (win::IsDotEntry(entry)) return true;
    const std::wstring_view name = entry.cFileName;
    if (win::IsFolder(entry)) {
      std::wstring sub = source;
      sub.append(name).push_back(L'\\');
      // A link back into the path is left out of the backup altogether.
      if ((win::IsLink(entry) && trail.LeadsBack(sub)) || Excluded(sub)) return true;
      std::wstring target = destination;
      target.append(name).push_back(L'\\');
      // Made singly: a folder already there means this backup would mix
      // with another, and fails the copy.
      if (!win::CreateOneFolder(target)) return copied = false;
      return copied = CopyInto(target, sub, trail);
    }
    ++FilesCopied;
    std::wstring from = source;
    from.append(name);
    std::wstring to = destination;
    to.append(name);
    win::PausePoint("copy-file");
    if (!::CopyFileW(win::ToLongPath(from).c_str(), win::ToLongPath(to).c_str(), TRUE))
      return copied = false;
    // The size the listing gave, read as the signed low 32 bits.
    if (static_cast<int32_t>(entry.nFileSizeLow) > kLargeFile ||
        FilesCopied % kFilesPerRefresh == 0)
      RefreshGauge();
    return true;
  });
  return copied;
}

}  // namespace yx::backup
