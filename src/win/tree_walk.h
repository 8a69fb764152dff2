#pragma once
// Depth-first walk of a folder tree with the folders on an explicit stack, so
// that the depth of a tree costs heap, never the thread's stack: a chain of a
// few thousand nested folders would overflow the 2 MB stack of a recursive
// walk and end the process with no handler run.
//
// Each folder is listed whole when entered and its find handle closed at
// once: a deep chain would otherwise hold one open handle (and, under Wine,
// one descriptor of its server) per level.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace yx::win {

// A folder as the volume knows it, whatever path reached it.
struct FolderId {
  DWORD volume = 0;
  DWORD index_high = 0;
  DWORD index_low = 0;
  friend bool operator==(const FolderId&, const FolderId&) = default;
};

// The identity of the folder `path` (a link is followed to its target);
// nullopt when it cannot be opened.
[[nodiscard]] std::optional<FolderId> IdentifyFolder(const std::wstring& path);

// A folder's id, read the first time a link below it is met.
struct LazyFolderId {
  bool identified = false;
  std::optional<FolderId> id;
};

// True when `link` (a folder link, without a final backslash) leads to one
// of the folders on the way down to it: entering it would go round a cycle.
// Each of `frames` has its `lazy` id; `folder(frame)` is its path, ending in
// a backslash. The one check of the copier's walk and the archiver's.
template <typename Frames, typename FolderOf>
[[nodiscard]] bool LinkLeadsBack(const std::wstring& link, Frames& frames, FolderOf folder) {
  const std::optional<FolderId> target = IdentifyFolder(link + L'\\');
  if (!target) return false;
  for (auto& frame : frames) {
    if (!frame.lazy.identified) {
      frame.lazy.id = IdentifyFolder(folder(frame));
      frame.lazy.identified = true;
    }
    if (frame.lazy.id == target) return true;
  }
  return false;
}

// True when `folder` is `outer` or lies somewhere below it, by the folders'
// identities: another drive letter or a link on the way still counts.
[[nodiscard]] bool FolderIsWithin(std::wstring_view folder, std::wstring_view outer);

class TreeWalk {
 public:
  enum class Step {
    kEntry,       // Entry() lies in Folder(); "." and ".." are never given
    kUnlistable,  // Folder() could not be listed (wholly or in part): Error()
    kLeave,       // every entry of Folder() has been given
    kEnd,
  };
  struct Entry {
    std::wstring name;
    DWORD attributes = 0;
    uint64_t size = 0;
    FILETIME last_write{};
    uint64_t id = 0;  // the file's index on its volume, when listed with ids; 0 unknown
    FILETIME created{};
    [[nodiscard]] bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    [[nodiscard]] bool IsLink() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
  };

  // Every entry of `folder` (ending in a backslash) but "." and ".."; 0, or
  // the error that cut the listing short.
  [[nodiscard]] static DWORD ListFolder(const std::wstring& folder, std::vector<Entry>& out);
  // The same with each entry's id, from the folder's own listing: asking each
  // file for its id costs more under Wine than reading a small file (it asks
  // the volume for its serial number every time, some 16 calls a file).
  [[nodiscard]] static DWORD ListFolderWithIds(const std::wstring& folder, std::vector<Entry>& out);

  // `root` ends in a backslash; it is listed at the first Next(). With
  // `ids`, every folder is listed with its entries' ids.
  explicit TreeWalk(std::wstring root, bool ids = false);

  Step Next();
  // The folder of the current step, ending in a backslash.
  [[nodiscard]] const std::wstring& Folder() const noexcept { return path_; }
  [[nodiscard]] const Entry& Current() const {
    return frames_.back().entries[frames_.back().next - 1];
  }
  // Folder() followed by the current entry's name.
  [[nodiscard]] std::wstring CurrentPath() const { return path_ + Current().name; }
  [[nodiscard]] DWORD Error() const noexcept { return error_; }
  // Below the root: "" for the root itself, "sub\deeper\" further down.
  [[nodiscard]] std::wstring Relative() const { return path_.substr(root_length_); }

  // After a kEntry of a folder: its entries come next, then its kLeave.
  void Descend();
  // True when the current entry (a folder link) leads to one of the folders
  // on the way down to it: entering it would go round a cycle.
  [[nodiscard]] bool LeadsBack();

 private:
  struct Frame {
    size_t length = 0;  // of path_ while this folder is walked
    std::vector<Entry> entries;
    size_t next = 0;
    bool listed = false;
    bool left = false;
    LazyFolderId lazy;
  };
  std::wstring path_;
  size_t root_length_;
  bool ids_;
  std::vector<Frame> frames_;
  DWORD error_ = 0;
};

}  // namespace yx::win
