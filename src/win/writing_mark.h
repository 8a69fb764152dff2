#pragma once
// A backup being written says so to whoever reads the destination (the
// restore lists backups while a scheduled run may be copying): the run holds
// a named event for its target folder as long as it writes there. The
// system drops the event with the last handle, so a killed run leaves no
// mark behind, and nobody waits on it or takes it: looking costs the run
// nothing.
#include <string>

#include "win/unique_handle.h"

namespace yx::win {

class WritingMark {
 public:
  // `folder`: the backup's folder, any spelling.
  explicit WritingMark(const std::wstring& folder);

 private:
  UniqueKernelHandle event_;
};

// Whether a run writes `long_folder`, spelt full and in long names (below a
// LongFullPath): a destination's backups, named from its listings.
[[nodiscard]] bool IsLongBeingWritten(const std::wstring& long_folder);

}  // namespace yx::win
