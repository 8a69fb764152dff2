#pragma once
// Collects what one name argument of the add command stands for: a folder's
// tree ("Work\*"), the files a wildcard matches, one file, or a folder named
// without a wildcard. Folders are walked with an explicit stack, so a tree of
// any depth costs heap, not the caller's thread stack, and every path goes
// through the wide API with the \\?\ prefix.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "lha/win/stored_name.h"

namespace yx::lha::win {

struct SourceItem {
  std::wstring path;  // full, with the long-path prefix
  StoredPath stored;
  bool folder = false;
  uint64_t size = 0;
  DWORD attributes = 0;
  FILETIME creation{}, modification{}, access{};
};

struct WalkOptions {
  bool recurse = false;
  bool folder_entries = false;
  std::wstring skip;  // a file never taken (the archive itself), upper case
};

enum class WalkStatus { kOk, kMissing };

// A folder or file left out of the archive, and the system's error.
struct Unreadable {
  std::wstring path;
  DWORD error = 0;
};

// `base` is empty or ends in '\'; `name` is relative to it (or a full path
// when `base` is empty). Appends the items, each folder after its contents.
// Links to folders are followed, except one that leads back to a folder on
// the way down to it, which is left out (it would go round a cycle). A
// folder that cannot be listed is appended to `unreadable` and the walk goes
// on. When the name itself is not there, `failed` names it.
[[nodiscard]] WalkStatus CollectSources(const std::wstring& base, const std::wstring& name,
                                        const WalkOptions& options, std::vector<SourceItem>& items,
                                        std::vector<Unreadable>& unreadable, std::wstring& failed);

// Full path of `path` with the long-path prefix, upper case: how the walk
// recognises the file it must skip.
[[nodiscard]] std::wstring ComparablePath(const std::wstring& path);

}  // namespace yx::lha::win
