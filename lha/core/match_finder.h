#pragma once
// Match finder over the 8 KiB window: hash chains on the first four bytes,
// walked nearest first, plus the nearest position of each three-byte hash
// for the short matches. A search reports, for every new best length, the
// nearest distance that reaches it. Inserting a position is a few stores.
#include <cstdint>
#include <vector>

#include "lha/core/lh5_format.h"

namespace yx::lha {

struct Match {
  uint16_t length;
  uint16_t distance;
};

class MatchFinder {
 public:
  // `max_depth`: chain links followed per search; a match of `nice_length`
  // ends the search.
  MatchFinder(int max_depth, int nice_length);

  // Largest distance: the chain slot of the position one window back is the
  // one being filled.
  static constexpr int kMaxDistance = kWindowSize - 1;
  static constexpr int kReadSlack = 8;
  // Positions are 16-bit (buffer index + kFirstPosition), which halves the
  // tables; smaller values mean "no position". The owner keeps every
  // position below kPositionLimit and rebases them when its buffer slides.
  static constexpr uint32_t kFirstPosition = kWindowSize;
  static constexpr uint32_t kPositionLimit = 0x10000;

  // `data` points at the byte of position `pos`; `avail` bytes from there are
  // input (at least kMinMatch), and kReadSlack more may be read (their values
  // do not matter). Inserts the position and writes the matches of rising
  // length to `out` (room for kMaxMatch); returns their count. Matches
  // shorter than `shortest` are left out, and the search skips what cannot
  // reach that length.
  int FindAndInsert(const uint8_t* data, uint32_t pos, int avail, Match* out,
                    int shortest = kMinMatch);
  // Inserts the position without searching.
  void Insert(const uint8_t* data, uint32_t pos, int avail);
  // Subtracts `delta` from every stored position.
  void Rebase(uint32_t delta);
  // Forgets every position.
  void Reset();

 private:
  // 64 Ki heads each (256 KiB with the chains): on the corpus of
  // tools/lha-corpus fewer hash collisions made it 3 % faster than 4 + 16 Ki
  // heads that fit the first-level cache, and the nearest three-byte match,
  // lost less often, 0.16 % smaller.
  static constexpr int kHash3Bits = 16;
  static constexpr int kHash4Bits = 16;
  static constexpr uint32_t kChainMask = kWindowSize - 1;
  // Multiplicative hashes of the first three and four bytes (v holds four).
  static uint32_t Hash3(uint32_t v);
  static uint32_t Hash4(uint32_t v);

  int max_depth_;
  int nice_length_;
  std::vector<uint16_t> head3_;  // nearest position of each three-byte hash
  std::vector<uint16_t> head4_;  // nearest position of each four-byte hash
  std::vector<uint16_t> chain_;  // the position before, of the same four-byte hash
};

}  // namespace yx::lha
