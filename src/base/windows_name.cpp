#include "base/windows_name.h"

#include <algorithm>
#include <array>
#include <string>

namespace yx {
namespace {

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

// CON, PRN, AUX, NUL, COM0-9, LPT0-9 (and their superscript digits), CONIN$
// and CONOUT$, in any case, before any extension: Windows opens the device.
bool IsDeviceName(std::u16string_view name) {
  std::u16string stem(name.substr(0, std::min(name.find(u'.'), name.size())));
  while (!stem.empty() && stem.back() == u' ') stem.pop_back();
  for (char16_t& c : stem) c = Upper(c);
  static constexpr std::array<std::u16string_view, 6> kPlain{u"CON", u"PRN",    u"AUX",
                                                             u"NUL", u"CONIN$", u"CONOUT$"};
  if (std::find(kPlain.begin(), kPlain.end(), stem) != kPlain.end()) return true;
  if (stem.size() != 4 || (stem.compare(0, 3, u"COM") != 0 && stem.compare(0, 3, u"LPT") != 0))
    return false;
  const char16_t d = stem[3];
  return (d >= u'0' && d <= u'9') || d == u'\u00B9' || d == u'\u00B2' || d == u'\u00B3';
}

bool IsForbidden(char16_t c) {
  return c < 0x20 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'/' || c == u'\\' ||
         c == u'|' || c == u'?' || c == u'*';
}

}  // namespace

NameVerdict CheckWindowsName(std::u16string_view name) {
  if (name.empty()) return NameVerdict::kEmpty;
  if (name == u"." || name == u"..") return NameVerdict::kParent;
  if (std::any_of(name.begin(), name.end(), IsForbidden)) return NameVerdict::kBadCharacter;
  if (name.back() == u'.' || name.back() == u' ') return NameVerdict::kBadEnd;
  if (IsDeviceName(name)) return NameVerdict::kDevice;
  return NameVerdict::kOk;
}

}  // namespace yx
