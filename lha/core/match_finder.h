#pragma once
// Binary-tree match finder over the 8 KiB window. Each position becomes the
// root of the tree of its hash bucket, ordered by the bytes that follow; the
// walk down from the old root meets the nearest candidates first and reports,
// for every new best length, the nearest distance that reaches it: what a
// cost-driven parser wants, since nearer distances cost fewer bits.
//
// Positions are 16-bit (buffer index + kFirstPosition) so that the tables,
// 48 KiB in all, stay in the first-level cache: the walk is a chain of
// dependent loads and their latency is its cost. The owner rebases them when
// its buffer slides.
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
  // `max_depth` bounds the nodes visited per position (speed against finding
  // every candidate).
  explicit MatchFinder(int max_depth);

  // Largest distance: a tree slot per position of the window, and the slot of
  // the position one window back is the one being filled.
  static constexpr int kMaxDistance = kWindowSize - 1;
  static constexpr int kReadSlack = 8;
  // Positions start here; smaller values mean "no position". With the slack
  // above, every position must stay below 65536.
  static constexpr uint32_t kFirstPosition = kWindowSize;
  static constexpr uint32_t kPositionLimit = 0x10000;

  // `data` points at the byte of position `pos`; `avail` bytes from there are
  // input (at least kMinMatch), and kReadSlack more bytes may be read (their
  // values do not matter). Inserts the position and writes the matches of
  // rising length to `out` (room for kMaxMatch); returns their count.
  int FindAndInsert(const uint8_t* data, uint32_t pos, int avail, Match* out);
  // Inserts the position without collecting matches.
  void Insert(const uint8_t* data, uint32_t pos, int avail);

  // Subtracts `delta`, a multiple of kWindowSize, from every stored position.
  void Rebase(uint32_t delta);
  // Forgets every position (a new file).
  void Reset();

 private:
  template <bool kCollect>
  int Walk(const uint8_t* data, uint32_t pos, int avail, Match* out);

  static constexpr int kHashBits = 13;
  static constexpr uint32_t kSlotMask = kWindowSize - 1;

  int max_depth_;
  std::vector<uint16_t> head_;
  std::vector<uint16_t> son_;  // two children per position slot
};

}  // namespace yx::lha
