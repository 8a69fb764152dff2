#pragma once
// Whether a folder on Windows can hold a name as it is spelled. A name that
// fails here is either refused by the file system, opens a device, or is
// stored under another spelling (a final dot or blank is dropped) that
// Explorer then can neither open nor delete.
#include <string_view>

namespace yx {

enum class NameVerdict {
  kOk,
  kEmpty,         // no name at all
  kParent,        // "." or "..": a step, not a name
  kDevice,        // CON, NUL, COM1, ... with or without an extension
  kBadCharacter,  // a character Windows forbids (':' of a stream or drive too)
  kBadEnd,        // a final dot or blank
};

[[nodiscard]] NameVerdict CheckWindowsName(std::u16string_view name);

}  // namespace yx
