#include "lha/core/match_finder.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>

namespace yx::lha {
namespace {

static_assert(std::endian::native == std::endian::little, "Extend reads words little-endian");

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

inline uint32_t Hash3(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return ((v & 0xFFFFFF) * 2654435761u) >> (32 - 13);
}

}  // namespace

MatchFinder::MatchFinder(int max_depth)
    : max_depth_(max_depth), head_(size_t{1} << kHashBits, 0), son_(2 * kWindowSize, 0) {}

void MatchFinder::Reset() {
  std::fill(head_.begin(), head_.end(), uint16_t{0});
  std::fill(son_.begin(), son_.end(), uint16_t{0});
}

void MatchFinder::Rebase(uint32_t delta) {
  assert(delta % kWindowSize == 0);
  const uint32_t keep = delta + kFirstPosition;
  auto shift = [delta, keep](uint16_t& v) {
    v = static_cast<uint16_t>(v >= keep ? v - delta : 0);
  };
  for (uint16_t& v : head_) shift(v);
  for (uint16_t& v : son_) shift(v);
}

int MatchFinder::FindAndInsert(const uint8_t* data, uint32_t pos, int avail, Match* out) {
  return Walk<true>(data, pos, avail, out);
}

void MatchFinder::Insert(const uint8_t* data, uint32_t pos, int avail) {
  Walk<false>(data, pos, avail, nullptr);
}

template <bool kCollect>
int MatchFinder::Walk(const uint8_t* data, uint32_t pos, int avail, Match* out) {
  assert(pos >= kFirstPosition && pos < kPositionLimit);
  const int limit = std::min(avail, kMaxMatch);
  const uint32_t h = Hash3(data);
  uint32_t cur = head_[h];
  head_[h] = static_cast<uint16_t>(pos);
  uint16_t* left = &son_[2 * (pos & kSlotMask)];       // takes smaller strings
  uint16_t* right = &son_[2 * (pos & kSlotMask) + 1];  // takes greater strings
  int len_left = 0, len_right = 0;
  int best = kMinMatch - 1;
  int found = 0;
  for (int depth = max_depth_;; --depth) {
    const uint32_t dist = pos - cur;
    if (cur < kFirstPosition || dist > static_cast<uint32_t>(kMaxDistance) || depth == 0) {
      *left = *right = 0;
      return found;
    }
    uint16_t* pair = &son_[2 * (cur & kSlotMask)];
    const uint8_t* cand = data - dist;
    int len = std::min(len_left, len_right);
    if (cand[len] == data[len]) {
      len = Extend(cand, data, len + 1, limit);
      if (kCollect && len > best) {
        assert(std::memcmp(cand, data, static_cast<size_t>(len)) == 0);
        best = len;
        out[found++] = {static_cast<uint16_t>(len), static_cast<uint16_t>(dist)};
      }
      if (len >= limit) {
        // Equal as far as we may look: the new node takes over both subtrees.
        *left = pair[0];
        *right = pair[1];
        return found;
      }
    }
    if (cand[len] < data[len]) {
      *left = static_cast<uint16_t>(cur);
      left = &pair[1];
      cur = *left;
      len_left = len;
    } else {
      *right = static_cast<uint16_t>(cur);
      right = &pair[0];
      cur = *right;
      len_right = len;
    }
  }
}

}  // namespace yx::lha
