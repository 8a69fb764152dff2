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

[[nodiscard]] bool IsBeingWritten(const std::wstring& folder);

}  // namespace yx::win
