#pragma once
// The rules for writing a tree below a target folder, shared by the restore
// and by the archiver's extraction, so that neither writes where the other
// would refuse to:
// - every name on the way is one Windows can hold (CheckWindowsName);
// - folders on the way are made as real folders, and an existing link or
//   junction on the way is never followed, nor a file taken for a folder;
// - a folder's times and attributes are the writer's to set only when it
//   made that folder: one that was there belongs to the user;
// - unfinished files live in a work folder of the writer's own below the
//   target, which the next writer into that target removes once nothing
//   holds it (a killed run cannot remove its own).
#include <windows.h>

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "base/windows_name.h"
#include "win/unique_handle.h"

namespace yx::win {

// `path` in capitals, as names are compared on Windows.
[[nodiscard]] std::wstring FoldedName(std::wstring path);

// What one writer learned of the folders under its target, so that each is
// checked once and not at every entry: under Wine a name looked up and not
// found reads the whole folder (names there are matched ignoring case).
// Paths folded by FoldedName, ending in '\'.
struct KnownFolders {
  std::unordered_set<std::wstring> real;  // found as real folders, or made
  std::unordered_set<std::wstring> made;  // made by this writer
};

struct FolderOutcome {
  enum class Fault { kNone, kBlocked, kSystem };
  Fault fault = Fault::kNone;  // kBlocked: a file or a link stands where a folder goes
  std::wstring path;           // the folder at fault
  DWORD error = 0;             // with kSystem
  [[nodiscard]] bool Ok() const { return fault == Fault::kNone; }
};

// Makes `parts[0..count)` (names below `base`, which ends in '\') as
// folders. Folders in `known` are taken as they are; those checked or made
// are added to it.
[[nodiscard]] FolderOutcome MakeFolders(const std::wstring& base,
                                        const std::vector<std::wstring>& parts, size_t count,
                                        KnownFolders& known);

// Splits a path below the target at '\' into `parts`; the verdict on the
// first name Windows cannot hold, with that name in `at_fault`.
[[nodiscard]] NameVerdict SplitPlacedPath(std::wstring_view relative,
                                          std::vector<std::wstring>& parts,
                                          std::wstring* at_fault = nullptr);

// The work folder "<target><prefix>.<process id>.tmp\" of one writer, held
// by an open file in it while the writer lives and removed when it ends.
class WorkFolder {
 public:
  WorkFolder() = default;
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;
  ~WorkFolder();

  // Removes what writers under the same prefix left in `target` when they
  // were killed, then makes this one's folder; false with the last error set.
  [[nodiscard]] bool Open(const std::wstring& target, std::wstring_view prefix);
  // A new name in the folder for an unfinished file.
  [[nodiscard]] std::wstring NextName();

 private:
  std::wstring folder_;
  UniqueFile hold_;
  unsigned next_ = 0;
};

}  // namespace yx::win
