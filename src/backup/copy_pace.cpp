#include "backup/copy_pace.h"

namespace yx::backup {
namespace {

// What a file costs beside its bytes, as a number of bytes copied: opening,
// making and closing two files is about the time of a quarter megabyte. A
// spell that met one large file is then not taken for a slow one.
constexpr double kBytesPerFile = 256.0 * 1024;
// Many copies are kept only when clearly faster: on a tie one thread costs
// the machine less.
constexpr double kManyMustWinBy = 1.1;

}  // namespace

CopyPace::CopyPace(int most) : most_(most < 1 ? 1 : most) {
  trials_left_ = most_ > 1 ? 2 : 0;
  in_flight_ = most_;
}

void CopyPace::Begin(int in_flight, uint64_t now_ms) {
  in_flight_ = in_flight;
  spell_start_ = now_ms;
  work_ = 0;
}

void CopyPace::Handed(uint64_t bytes, uint64_t now_ms) {
  if (most_ == 1) return;
  if (!spell_start_) {
    spell_start_ = now_ms;
    return;
  }
  work_ += 1 + static_cast<double>(bytes) / kBytesPerFile;
  // A clock that went back ends no spell.
  if (now_ms < *spell_start_ || now_ms - *spell_start_ < kSpellMs) return;
  const double rate = work_ / static_cast<double>(now_ms - *spell_start_);
  if (trials_left_ > 0) {
    rate_[in_flight_ > 1 ? 1 : 0] = rate;
    if (--trials_left_ > 0) {
      Begin(in_flight_ > 1 ? 1 : most_, now_ms);
      return;
    }
    settled_left_ = kSettledSpells;
    Begin(rate_[1] > rate_[0] * kManyMustWinBy ? most_ : 1, now_ms);
    return;
  }
  if (--settled_left_ > 0) {
    Begin(in_flight_, now_ms);
    return;
  }
  many_first_ = !many_first_;
  trials_left_ = 2;
  Begin(many_first_ ? most_ : 1, now_ms);
}

}  // namespace yx::backup
