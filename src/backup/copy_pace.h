#pragma once
// How many copies a tree copy keeps in flight, chosen while it runs. Under
// Wine every file's copy is a series of round trips to one server process. On
// a quiet machine a second copy hides that latency (0.67 of the time of one
// copy at a time, 10,000 small files); with another process busy on the
// other core it costs more than it hides (1.17 of the time). Which case
// holds changes with the machine, and on Windows with the disk and its
// filters, so the copy tries both in turn and keeps the faster one for a
// while. The clock is the caller's, in milliseconds.
#include <cstdint>
#include <optional>

namespace yx::backup {

class CopyPace {
 public:
  // One trial spell, and how long a choice holds before the next trials.
  static constexpr uint64_t kSpellMs = 200;
  static constexpr int kSettledSpells = 8;

  // Between 1 and `most` copies at once; the first spell's clock starts at
  // the first file.
  explicit CopyPace(int most);

  // The copies to keep in flight now.
  [[nodiscard]] int InFlight() const noexcept { return in_flight_; }
  // After each file handed out: its size and the clock now.
  void Handed(uint64_t bytes, uint64_t now_ms);

 private:
  // Begins a spell of `in_flight` copies at once.
  void Begin(int in_flight, uint64_t now_ms);

  int most_;
  int in_flight_ = 1;
  // Spells left: 2 or 1 while trying, then counting down the settled ones.
  int trials_left_ = 0;
  int settled_left_ = 0;
  bool many_first_ = true;  // the trials' order turns, so a trend favours neither
  std::optional<uint64_t> spell_start_;
  double work_ = 0;   // of this spell
  double rate_[2]{};  // of the last trials: [0] one at a time, [1] many
};

}  // namespace yx::backup
