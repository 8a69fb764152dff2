// The Shift-JIS path helpers on any bytes: whatever they find or add is a
// whole character, never the trail byte of a double-byte one (表 = 95 5C).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/cp932.h"

namespace {

void Check(bool holds) {
  if (!holds) std::abort();
}

bool Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Where characters start, walked from the beginning; a lead byte with
// nothing after it stands alone.
std::vector<bool> CharStarts(const std::string& s) {
  std::vector<bool> starts(s.size() + 1, false);
  size_t i = 0;
  while (i < s.size()) {
    starts[i] = true;
    i += Lead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
  }
  starts[s.size()] = true;
  return starts;
}

bool IsBackslashChar(const std::string& s, const std::vector<bool>& starts, size_t i) {
  return i < s.size() && starts[i] && s[i] == '\\';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string s(reinterpret_cast<const char*>(data), size);
  const std::vector<bool> starts = CharStarts(s);
  using namespace yx::cp932;

  const bool ends = EndsWithBackslash(s);
  Check(ends == (!s.empty() && IsBackslashChar(s, starts, s.size() - 1)));

  const std::string with = WithTrailingBackslash(s);
  Check(with == (ends ? s : s + "\\"));
  // Appending to a text that ends in a lone lead byte would make the two a
  // double-byte character: only well-formed text is sure to end in one.
  if (IsWellFormed(s)) {
    Check(EndsWithBackslash(with));
    Check(WithTrailingBackslash(with) == with);
  }

  if (!s.empty()) {
    const size_t first = size > 1 ? data[0] % s.size() : 0;
    const size_t last = size > 2 ? data[1] % s.size() : s.size() - 1;
    const size_t found = FindLastBackslash(s, first, last);
    size_t want = std::string::npos;
    for (size_t i = first; i <= last && i < s.size(); ++i)
      if (IsBackslashChar(s, starts, i)) want = i;
    Check(found == want);

    const std::string folder = FolderPart(s);
    Check(s.compare(0, folder.size(), folder) == 0);
    if (!folder.empty()) Check(IsBackslashChar(s, starts, folder.size() - 1));
    for (size_t i = folder.size(); i < s.size(); ++i) Check(!IsBackslashChar(s, starts, i));
  }

  // Well-formedness as the table of trail bytes has it.
  bool well = true;
  for (size_t i = 0; i < s.size(); ++i) {
    if (!Lead(static_cast<unsigned char>(s[i]))) continue;
    const unsigned t = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
    if (i + 1 >= s.size() || t < 0x40 || t == 0x7F || t > 0xFC) well = false;
    ++i;
  }
  Check(IsWellFormed(s) == well);
  return 0;
}
