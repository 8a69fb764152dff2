#include "lha/core/match_finder.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>

namespace yx::lha {
namespace {

static_assert(std::endian::native == std::endian::little, "Extend reads words little-endian");

inline uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

// Length of the common prefix of a and b, from `len` (already known equal)
// up to `limit`. Reads eight bytes at a time, so up to seven bytes past
// `limit`; the owner's buffer allows that.
inline int Extend(const uint8_t* a, const uint8_t* b, int len, int limit) {
  while (len < limit) {
    uint64_t x, y;
    std::memcpy(&x, a + len, 8);
    std::memcpy(&y, b + len, 8);
    if (x != y) return std::min(limit, len + std::countr_zero(x ^ y) / 8);
    len += 8;
  }
  return limit;
}

}  // namespace

uint32_t MatchFinder::Hash3(uint32_t v) {
  return ((v & 0xFFFFFF) * 2654435761u) >> (32 - kHash3Bits);
}
uint32_t MatchFinder::Hash4(uint32_t v) { return (v * 2654435761u) >> (32 - kHash4Bits); }

MatchFinder::MatchFinder(int max_depth, int nice_length)
    : max_depth_(max_depth),
      nice_length_(nice_length),
      head3_(size_t{1} << kHash3Bits, 0),
      head4_(size_t{1} << kHash4Bits, 0),
      chain_(kChainMask + 1, 0) {}

void MatchFinder::Reset() {
  // The chains need no clearing: a walk starts at a head, and every link it
  // follows from there was written after the reset.
  for (std::vector<uint16_t>* table : {&head3_, &head4_})
    std::fill(table->begin(), table->end(), uint16_t{0});
}

void MatchFinder::Rebase(uint32_t delta) {
  // Written so that the compiler can do eight positions at a time.
  const uint16_t d = static_cast<uint16_t>(delta);
  const uint16_t keep = static_cast<uint16_t>(delta + kFirstPosition);
  for (std::vector<uint16_t>* table : {&head3_, &head4_, &chain_}) {
    for (uint16_t& v : *table) v = v >= keep ? static_cast<uint16_t>(v - d) : uint16_t{0};
  }
}

void MatchFinder::Insert(const uint8_t* data, uint32_t pos, int avail) {
  const uint32_t v = Load32(data);
  head3_[Hash3(v)] = static_cast<uint16_t>(pos);
  if (avail < 4) return;
  uint16_t& head = head4_[Hash4(v)];
  chain_[pos & kChainMask] = head;
  head = static_cast<uint16_t>(pos);
}

int MatchFinder::FindAndInsert(const uint8_t* data, uint32_t pos, int avail, Match* out,
                               int shortest) {
  const int limit = std::min(avail, kMaxMatch);
  const uint32_t first4 = Load32(data);
  int found = 0;
  int best = kMinMatch - 1;

  uint16_t& head3 = head3_[Hash3(first4)];
  const uint32_t near3 = head3;
  head3 = static_cast<uint16_t>(pos);
  if (near3 >= kFirstPosition && pos - near3 <= static_cast<uint32_t>(kMaxDistance)) {
    const uint8_t* cand = data - (pos - near3);
    if (((Load32(cand) ^ first4) & 0xFFFFFF) == 0) {
      const int len = Extend(cand, data, 3, limit);
      if (len >= shortest) {
        best = len;
        out[found++] = {static_cast<uint16_t>(len), static_cast<uint16_t>(pos - near3)};
      }
    }
  }
  if (limit < 4) return found;
  uint16_t& head4 = head4_[Hash4(first4)];
  uint32_t cur = head4;
  chain_[pos & kChainMask] = head4;
  head4 = static_cast<uint16_t>(pos);
  const int enough = std::min(limit, nice_length_);
  if (best >= enough) return found;
  best = std::max(best, std::min(shortest, limit + 1) - 1);
  // Four bytes ending at the current best length are compared first: most
  // candidates fail there, and only a longer match is of use.
  int check = std::max(best - 3, 0);
  for (int depth = max_depth_; depth > 0 && cur >= kFirstPosition; --depth) {
    const uint32_t dist = pos - cur;
    if (dist > static_cast<uint32_t>(kMaxDistance)) break;
    const uint8_t* cand = data - dist;
    if (Load32(cand + check) == Load32(data + check) && Load32(cand) == first4) {
      const int len = Extend(cand, data, 4, limit);
      if (len > best) {
        best = len;
        check = best - 3;
        out[found++] = {static_cast<uint16_t>(len), static_cast<uint16_t>(dist)};
        if (len >= enough) break;
      }
    }
    cur = chain_[cur & kChainMask];
  }
  return found;
}

}  // namespace yx::lha
