#pragma once
// Collects what one name argument of the add command stands for: a folder's
// tree ("Work\*"), the files a wildcard matches, one file, or a folder named
// without a wildcard. Folders are walked with an explicit stack, so a tree of
// any depth costs heap, not the caller's thread stack, and every path goes
// through the wide API with the \\?\ prefix.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/exclusion.h"
#include "lha/win/stored_name.h"
#include "win/failure.h"
#include "win/file_system.h"

namespace yx::lha::win {

// What the walks found, kept small: a run of 100,000 files holds this until
// its last entry is written. A folder is its parent's number and its name, a
// file a record of what the listing said and its name; names lie end to end
// in one arena, and full and stored paths are made when they are asked for.
class SourceList {
 public:
  struct Item {
    uint32_t folder = 0;  // where a file lies; a folder's entry: that folder
    uint32_t name = 0;    // in the arena; a file's only
    uint16_t name_length = 0;
    bool is_folder = false;
    DWORD attributes = 0;
    uint64_t size = 0;
    FILETIME creation{}, modification{}, access{};
  };

  [[nodiscard]] size_t Size() const { return items_.size(); }
  [[nodiscard]] const Item& operator[](size_t i) const { return items_[i]; }
  // Full, with the long-path prefix.
  [[nodiscard]] std::wstring Path(size_t i) const;
  [[nodiscard]] StoredPath Stored(size_t i) const;

  // For the walk. A top folder is where a name argument leads: its full path
  // (ending in '\') and its place in the archive.
  [[nodiscard]] uint32_t AddTop(std::wstring path, std::vector<std::wstring> stored);
  [[nodiscard]] uint32_t AddFolder(uint32_t parent, const Item& listed);
  // The record of a listed entry in `folder`, its name put in the arena.
  [[nodiscard]] Item Listed(const WIN32_FIND_DATAW& e, uint32_t folder);
  void Add(const Item& item) { items_.push_back(item); }
  [[nodiscard]] std::wstring_view Name(const Item& item) const {
    return {names_.data() + item.name, item.name_length};
  }

 private:
  struct Folder {
    uint32_t parent = 0;
    uint32_t name = 0;  // in the arena; a top folder's: its number in tops_
    uint16_t name_length = 0;
    bool top = false;
  };
  struct Top {
    std::wstring path;
    std::vector<std::wstring> stored;
  };
  // The folders from the top down to `folder`.
  [[nodiscard]] std::vector<uint32_t> Chain(uint32_t folder) const;
  // The folder's full path, ending in '\'.
  [[nodiscard]] std::wstring FolderPath(uint32_t folder) const;
  [[nodiscard]] std::vector<std::wstring> StoredFolders(uint32_t folder) const;
  [[nodiscard]] std::wstring_view FolderName(const Folder& f) const {
    return {names_.data() + f.name, f.name_length};
  }

  std::vector<Item> items_;
  std::vector<Folder> folders_;
  std::vector<Top> tops_;
  std::vector<wchar_t> names_;
};

struct WalkOptions {
  bool recurse = false;
  bool folder_entries = false;
  std::wstring skip;  // a file never taken (the archive itself), upper case
  // Left out below the folder a name argument leads to (not that folder
  // itself, nor a file named alone), folders with all they hold.
  Exclusions exclusions;
  yx::win::FindNextCall find_next = ::FindNextFileW;
};

enum class WalkStatus { kOk, kMissing };

// A folder or file left out of the archive, and the system's error.
using Unreadable = yx::win::Failure;

// `base` is empty or ends in '\'; `name` is relative to it (or a full path
// when `base` is empty). Appends the items to `list`, each folder after its
// contents.
// Links to folders are followed, except one that leads back to a folder on
// the way down to it, which is left out (it would go round a cycle). A
// folder that cannot be listed is appended to `unreadable` and the walk goes
// on. When the name itself is not there, `failed` names it.
[[nodiscard]] WalkStatus CollectSources(const std::wstring& base, const std::wstring& name,
                                        const WalkOptions& options, SourceList& list,
                                        std::vector<Unreadable>& unreadable, std::wstring& failed);

// Full path of `path` with the long-path prefix, upper case: how the walk
// recognises the file it must skip.
[[nodiscard]] std::wstring ComparablePath(const std::wstring& path);

}  // namespace yx::lha::win
