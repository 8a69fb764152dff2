#include "lha/core/huffman.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <vector>

namespace yx::lha {
namespace {

constexpr int kMaxSymbols = 512;
constexpr int kMaxDepth = 64;

}  // namespace

int BuildCodeLengths(std::span<const uint32_t> freq, int max_bits, std::span<uint8_t> lengths) {
  const int n = static_cast<int>(freq.size());
  assert(n <= kMaxSymbols && lengths.size() == freq.size());
  std::fill(lengths.begin(), lengths.end(), uint8_t{0});

  // Used symbols by rising frequency, the symbol breaking ties; sorted as
  // plain integers (frequency above, symbol below), which is several times
  // faster than sorting indices through a comparison of frequencies.
  std::array<uint64_t, kMaxSymbols> keyed;
  int used = 0;
  for (int s = 0; s < n; ++s)
    if (freq[s] != 0) keyed[used++] = uint64_t{freq[s]} << 16 | static_cast<uint64_t>(s);
  if (used < 2) return used;
  std::sort(keyed.begin(), keyed.begin() + used);
  std::array<int, kMaxSymbols> order;
  for (int i = 0; i < used; ++i) order[i] = static_cast<int>(keyed[i] & 0xFFFF);

  // Two-queue Huffman: leaves in rising order, internal nodes created in
  // rising order too, so the next smallest is always at one of two heads.
  std::array<uint64_t, kMaxSymbols * 2> weight;
  std::array<int, kMaxSymbols * 2> parent;
  for (int i = 0; i < used; ++i) weight[i] = freq[order[i]];
  int leaf = 0, node = used, next = used;
  auto take = [&]() {
    if (leaf < used && (node >= next || weight[leaf] <= weight[node])) return leaf++;
    return node++;
  };
  while (next < 2 * used - 1) {
    const int a = take();
    const int b = take();
    weight[next] = weight[a] + weight[b];
    parent[a] = parent[b] = next;
    ++next;
  }
  // Depths: the root is the last node; parents come after their children.
  std::array<int, kMaxSymbols * 2> depth;
  depth[next - 1] = 0;
  for (int i = next - 2; i >= 0; --i) depth[i] = depth[parent[i]] + 1;

  // Count codes per length, then pull overlong ones back under max_bits the
  // way the JPEG standard does (Annex K.3): a pair at the deepest level is
  // replaced by one code there and a split leaf one level up, which keeps the
  // Kraft sum at exactly 1.
  std::array<int, kMaxDepth + 1> count{};
  for (int i = 0; i < used; ++i) ++count[std::min(depth[i], kMaxDepth)];
  for (int bits = kMaxDepth; bits > max_bits; --bits) {
    while (count[bits] > 0) {
      int j = bits - 2;
      while (count[j] == 0) --j;
      count[bits] -= 2;
      count[bits - 1] += 1;
      count[j + 1] += 2;
      count[j] -= 1;
    }
  }
  // Longest codes to the rarest symbols.
  int i = 0;
  for (int bits = max_bits; bits >= 1; --bits)
    for (int k = 0; k < count[bits]; ++k) lengths[order[i++]] = static_cast<uint8_t>(bits);
  return used;
}

void BuildCodes(std::span<const uint8_t> lengths, std::span<uint16_t> codes) {
  std::array<int, kMaxCodeBits + 2> count{};
  for (uint8_t l : lengths) ++count[l];
  count[0] = 0;
  std::array<uint32_t, kMaxCodeBits + 2> next{};
  uint32_t code = 0;
  for (int bits = 1; bits <= kMaxCodeBits; ++bits) {
    code = (code + count[bits - 1]) << 1;
    next[bits] = code;
  }
  for (size_t s = 0; s < lengths.size(); ++s)
    if (lengths[s] != 0) codes[s] = static_cast<uint16_t>(next[lengths[s]]++);
}

}  // namespace yx::lha
