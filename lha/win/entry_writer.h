#pragma once
// Writes one decoded entry under the folder extracted to. The bytes go to a
// new file beside the target, which takes the target's name only once the
// data has decoded whole and its CRC holds: a damaged entry, a full disk or
// a kill never leave a torn file under the entry's name (the partial file is
// deleted). Folders on the way are made as real folders; an existing link
// on the way is never followed.
#include <windows.h>

#include <string>
#include <vector>

#include "lha/core/archive_reader.h"
#include "lha/core/command_line.h"
#include "lha/core/entry_decoder.h"
#include "win/tree_writer.h"
#include "win/unique_handle.h"

namespace yx::lha::win {

struct WriteOutcome {
  int code = 0;       // a ReadResult
  std::wstring what;  // for the output, with the system's error where there is one
};

// The folders known to one extraction, and how names compare: the tree
// writer's, which the restore shares.
using yx::win::FoldedName;
using yx::win::KnownFolders;

// Makes `parts` (names below `base`, which ends in '\') as folders; false and
// the reason when one is a file or a link, or cannot be made. Folders in
// `known` are taken as they are; those checked or made are added to it.
[[nodiscard]] WriteOutcome MakeFolders(const std::wstring& base,
                                       const std::vector<std::wstring>& parts, size_t count,
                                       KnownFolders* known = nullptr);

// One file entry being written, in three steps so that decoding and the
// file's system calls may run on different threads.
class EntryFile {
 public:
  EntryFile() = default;
  // A file opened and never closed is deleted.
  ~EntryFile();
  EntryFile(const EntryFile&) = delete;
  EntryFile& operator=(const EntryFile&) = delete;

  // Applies the overwrite rule to `target` and creates the new file as
  // `temp` (a long path on the target's volume, not yet there); `e` must
  // outlive this object. With `known_absent` the target is not looked for:
  // the name is then only taken if still free.
  [[nodiscard]] WriteOutcome Open(const ArchiveEntry& e, const std::wstring& target,
                                  std::wstring temp, Overwrite overwrite, bool known_absent);
  [[nodiscard]] bool Write(const uint8_t* data, size_t size);
  // With the decoder's verdict on the bytes written: when whole, sets the
  // times, gives the file the target's name and sets its attributes;
  // otherwise deletes it and says why.
  [[nodiscard]] WriteOutcome Close(DecodeStatus status);

 private:
  const ArchiveEntry* entry_ = nullptr;
  std::wstring target_, long_target_, temp_;
  bool exists_ = false;
  yx::win::UniqueFile file_;
  DWORD write_error_ = 0;
};

// Sets the times and attributes a folder entry stores, once its contents are
// written.
[[nodiscard]] WriteOutcome FinishFolder(const ArchiveEntry& e, const std::wstring& folder);

}  // namespace yx::lha::win
