// Counting and copying of source trees for the progress window. Every path is
// wide and goes to the file system with the "\\?\" prefix (inside the walk
// and CreateOneFolder, and here for the copy), so names outside code page 932
// and trees deeper than MAX_PATH are copied like any other; the walk keeps
// its folders on a stack of its own, so no depth overflows the thread's stack.
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

// Copies one file, never over an existing one. A copy that fails half-way
// (a full disk) leaves a torn file under the real name, which a restore would
// take for the whole one: it is removed. Since the copy refuses to
// overwrite, whatever is at the target after any failure but "exists" was
// made by this copy. 0, or the error of the copy.
DWORD CopyOneFile(const std::wstring& from, const std::wstring& to) {
  const std::wstring target = win::ToLongPath(to);
  if (::CopyFileW(win::ToLongPath(from).c_str(), target.c_str(), TRUE)) return 0;
  const DWORD error = ::GetLastError();
  if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
    (void)::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    (void)::DeleteFileW(target.c_str());
  }
  return error;
}

// A file or folder deleted from the source after it was listed: nothing of
// it is missing from the backup, since the source no longer has it either.
bool Vanished(const std::wstring& path, DWORD error) {
  return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) &&
         win::Attributes(path) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace

void TForm3::ExcludeFolder(const std::wstring& folder) { excluded_ = win::IdentifyFolder(folder); }

bool TForm3::LeftOut(win::TreeWalk& walk) {
  if (walk.Current().IsLink() && walk.LeadsBack()) return true;
  return excluded_ && win::IdentifyFolder(walk.CurrentPath() + L'\\') == excluded_;
}

bool TForm3::CountFiles(const std::wstring& folder) {
  ShowFileTotal();
  app_.ProcessMessages();
  // A folder that cannot be listed counts as empty: the copy reports it.
  win::TreeWalk walk(folder);
  for (;;) {
    const win::TreeWalk::Step step = walk.Next();
    if (step == win::TreeWalk::Step::kEnd) return true;
    if (cancel_requested_) return false;
    switch (step) {
      case win::TreeWalk::Step::kEntry:
        if (!walk.Current().IsFolder()) {
          ++FileTotal;
        } else if (!LeftOut(walk)) {
          ShowFileTotal();
          app_.ProcessMessages();
          walk.Descend();
          ShowFileTotal();
          app_.ProcessMessages();
        }
        break;
      default:
        break;
    }
  }
}

void TForm3::RefreshGauge() {
  gauge_.SetProgress(FilesCopied);
  app_.ProcessMessages();
}

bool TForm3::CopyTree(const std::wstring& destination, const std::wstring& source,
                      const std::function<void(const std::wstring&, DWORD)>& fault) {
  bool complete = true;
  const auto report = [&](const std::wstring& path, DWORD error) {
    if (Vanished(path, error)) return;
    complete = false;
    if (fault) fault(path, error);
  };
  RefreshGauge();
  win::TreeWalk walk(source);
  for (;;) {
    const win::TreeWalk::Step step = walk.Next();
    if (step == win::TreeWalk::Step::kEnd) return complete;
    if (cancel_requested_) return false;
    switch (step) {
      case win::TreeWalk::Step::kEnd:
        return complete;
      case win::TreeWalk::Step::kUnlistable:
        // What it holds is missing from the backup: the run must not pass
        // for complete.
        report(walk.Folder(), walk.Error());
        break;
      case win::TreeWalk::Step::kLeave:
        break;
      case win::TreeWalk::Step::kEntry: {
        const win::TreeWalk::Entry& entry = walk.Current();
        const std::wstring target = destination + walk.Relative() + entry.name;
        if (entry.IsFolder()) {
          // A link back into the path is left out of the backup altogether.
          if (LeftOut(walk)) break;
          // Made singly: a folder already there means this backup would mix
          // with another; that folder is left out.
          if (!win::CreateOneFolder(target)) {
            report(walk.CurrentPath(), ::GetLastError());
            break;
          }
          walk.Descend();
          RefreshGauge();
          break;
        }
        ++FilesCopied;
        win::PausePoint("copy-file");
        if (const DWORD error = CopyOneFile(walk.CurrentPath(), target); error != 0)
          report(walk.CurrentPath(), error);
        // The size the listing gave, read as the signed low 32 bits.
        if (static_cast<int32_t>(static_cast<uint32_t>(entry.size)) > kLargeFile ||
            FilesCopied % kFilesPerRefresh == 0)
          RefreshGauge();
        break;
      }
    }
  }
}

}  // namespace yx::backup
