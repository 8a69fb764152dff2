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

namespace yx::lha::win {

struct WriteOutcome {
  int code = 0;       // a ReadResult
  std::wstring what;  // for the output, with the system's error where there is one
};

// Makes `parts` (names below `base`, which ends in '\') as folders; false and
// the reason when one is a file or a link, or cannot be made.
[[nodiscard]] WriteOutcome MakeFolders(const std::wstring& base,
                                       const std::vector<std::wstring>& parts, size_t count);

// Decodes `e` into base + parts, the folders before it made already.
[[nodiscard]] WriteOutcome WriteEntry(RandomSource& source, const ArchiveEntry& e,
                                      EntryDecoder& decoder, const std::wstring& target,
                                      Overwrite overwrite);

// Sets the times and attributes a folder entry stores, once its contents are
// written.
void FinishFolder(const ArchiveEntry& e, const std::wstring& folder);

}  // namespace yx::lha::win
