#include "backup/link_tally.h"

#include "base/byte_size.h"

namespace yx::backup {

std::string TallyLine(const LinkTally& tally) {
  return GroupedDigits(static_cast<uint64_t>(tally.linked)) + " 件をリンク、" +
         GroupedDigits(static_cast<uint64_t>(tally.copied)) + " 件 (" +
         FormatByteSize(tally.copied_bytes) + ") をコピーしました";
}

}  // namespace yx::backup
