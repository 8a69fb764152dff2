#include "win/failure.h"

#include "win/fault_line.h"
#include "win/text.h"

namespace yx::win {

std::string Failure::Reason() const { return ErrorReason(error); }

std::string Failure::Text() const {
  return path.empty() ? Reason() : FromWide(path) + ": " + Reason();
}

}  // namespace yx::win
