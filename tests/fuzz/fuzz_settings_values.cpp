// Every key of the settings table decoding any text: integers land in their
// corrected range, flags follow the integer conversion, strings come back as
// read. And a value written with EncodeText reads back as itself when taken
// the way the settings file's reader takes a value: blanks trimmed at both
// ends, then the quotes the save may have added removed. Any text as an
// exclusion pattern, and as a path against it: a usable pattern without
// wildcards matches its own path.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/exclusion.h"
#include "settings/int_or_default.h"
#include "settings/profile_text.h"
#include "settings/settings_keys.h"

namespace {

void Check(bool holds) {
  if (!holds) std::abort();
}

std::string AsTheSettingsFileReadsIt(std::string v) {
  const auto blank = [](char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A';
  };
  while (!v.empty() && blank(v.front())) v.erase(v.begin());
  while (!v.empty() && blank(v.back())) v.pop_back();
  return yx::settings::UnquotedValue(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string raw(reinterpret_cast<const char*>(data), size);
  using namespace yx::settings;
  for (const SettingKey& entry : Keys()) {
    switch (entry.kind) {
      case Kind::Integer: {
        const int value = DecodeInteger(entry, raw);
        if (entry.correction != Correction::None) Check(value >= entry.lo && value <= entry.hi);
        Check(DecodeInteger(entry, std::nullopt) == entry.int_default);
        const int converted = yx::settings::IntOrDefault(raw, entry.int_default);
        if (converted >= entry.lo && converted <= entry.hi) Check(value == converted);
        break;
      }
      case Kind::Flag:
        Check(DecodeFlag(entry, raw) == (yx::settings::IntOrDefault(raw, entry.int_default) != 0));
        Check(DecodeFlag(entry, std::nullopt) == (entry.int_default != 0));
        break;
      case Kind::String:
        Check(DecodeText(entry, raw) == raw);
        Check(DecodeText(entry, std::nullopt) == entry.text_default);
        break;
    }
  }
  const std::array<std::string, 1> rows{raw};
  const yx::Exclusions exclusions(rows, size);
  (void)exclusions.Match(raw, size % 2 == 0, size);
  std::string plain = raw;
  while (!plain.empty() && (plain.front() == ' ' || plain.front() == '\t')) plain.erase(0, 1);
  while (!plain.empty() && (plain.back() == ' ' || plain.back() == '\t')) plain.pop_back();
  if (yx::IsUsableExclusion(raw) && plain.find_first_of("*?") == std::string::npos &&
      plain.front() != '\\' && plain.back() != '\\')
    Check(exclusions.Match(plain, false, 0) == 0);
  // A value a settings file line can hold: no NUL and no line end.
  if (raw.find_first_of(std::string("\0\r\n", 3)) == std::string::npos)
    Check(AsTheSettingsFileReadsIt(EncodeText(raw)) == raw);
  return 0;
}
