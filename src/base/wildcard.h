#pragma once
// The one wildcard match of the program and the archiver: '*' any run, '?'
// one unit, every other unit as `same` compares them (exactly, or without
// case). Iterative with one point to go back to: linear in practice, never
// exponential, whatever the pattern.
#include <cstddef>
#include <span>

namespace yx {

template <typename Unit, typename Same>
[[nodiscard]] bool WildcardMatch(std::span<const Unit> pattern, std::span<const Unit> text,
                                 Same same) {
  constexpr Unit kStar = static_cast<Unit>('*');
  constexpr Unit kQuestion = static_cast<Unit>('?');
  constexpr size_t kNone = static_cast<size_t>(-1);
  size_t p = 0, t = 0, star = kNone, mark = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] != kStar &&
        (pattern[p] == kQuestion || same(pattern[p], text[t]))) {
      ++p, ++t;
    } else if (p < pattern.size() && pattern[p] == kStar) {
      star = p++;
      mark = t;
    } else if (star != kNone) {
      p = star + 1;
      t = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == kStar) ++p;
  return p == pattern.size();
}

}  // namespace yx
