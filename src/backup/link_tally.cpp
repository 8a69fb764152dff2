#include "backup/link_tally.h"

namespace yx::backup {
namespace {

// Digits in groups of three: "3,412".
std::string Grouped(uint64_t value) {
  std::string digits = std::to_string(value);
  for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

}  // namespace

std::string TallyLine(const LinkTally& tally) {
  constexpr uint64_t kMB = 1024 * 1024;
  // Tenths of a MB, rounded half up.
  const uint64_t tenths =
      (tally.copied_bytes / kMB) * 10 + ((tally.copied_bytes % kMB) * 10 + kMB / 2) / kMB;
  return Grouped(static_cast<uint64_t>(tally.linked)) + " 件をリンク、" +
         Grouped(static_cast<uint64_t>(tally.copied)) + " 件 (" + Grouped(tenths / 10) + "." +
         std::to_string(tenths % 10) + " MB) をコピーしました";
}

}  // namespace yx::backup
