#pragma once
// What a copy run cost: the files it linked to an earlier backup, and the
// files and bytes it really copied. Told once per run in the log, since
// Explorer counts a linked file in the size of every backup that holds it.
#include <cstdint>
#include <string>

namespace yx::backup {

struct LinkTally {
  int64_t linked = 0;
  int64_t copied = 0;
  uint64_t copied_bytes = 0;
};

// "3,412 件をリンク、57 件 (12.3 MB) をコピーしました" (CP932): the size in
// the unit that fits (base/byte_size.h), as Explorer counts it.
[[nodiscard]] std::string TallyLine(const LinkTally& tally);

}  // namespace yx::backup
