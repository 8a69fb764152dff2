// The settings file through the real profile functions: a text setting with
// any byte at either end, or quotes and blanks around it, must read back as
// it was written, or a path would change between two runs.
#include <gtest/gtest.h>

#include <vector>

#include <windows.h>

#include "reliability/case_report.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "support/temp_folder.h"

namespace yx::test {
namespace {

// Text the settings window can hold: what its wide controls give, that is
// code page 932 that comes back unchanged from UTF-16 (no unassigned codes,
// and the NEC-selected IBM codes ED/EE turn into their IBM twins FA/FB).
bool ValidCp932(const std::string& v) {
  std::wstring wide(v.size(), L'\0');
  const int n =
      ::MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, v.data(), static_cast<int>(v.size()),
                            wide.data(), static_cast<int>(wide.size()));
  if (n <= 0) return false;
  std::string back(v.size() * 2, '\0');
  const int m = ::WideCharToMultiByte(932, 0, wide.data(), n, back.data(),
                                      static_cast<int>(back.size()), nullptr, nullptr);
  return back.substr(0, static_cast<size_t>(m > 0 ? m : 0)) == v;
}

TEST(BadInputSettingsFile, TextSettingsWithAnyByteAtEitherEndReadBackAsWritten) {
  Describe(
      "Text settings (times, destination, sources) saved and loaded through "
      "WritePrivateProfileStringA and GetPrivateProfileStringA, holding every byte "
      "01-FF (but CR and LF) alone, first, last and at both ends, and quotes and blanks "
      "around a value.",
      "Every value that is valid code page 932 text reads back byte for byte.");
  std::vector<std::string> values;
  for (int b = 1; b < 256; ++b) {
    if (b == '\r' || b == '\n') continue;
    const std::string c(1, static_cast<char>(b));
    for (const std::string& v : {c, c + "x", "x" + c, c + "x" + c})
      if (ValidCp932(v)) values.push_back(v);
  }
  for (const char* v : {"\"a\"", "'a'", "\" a \"", " \"a\" ", "\"", "''", "\"a'", "a\"", " ",
                        "\t\t", "\x95\x5C", "C:\\\x97\x5C\x92\xE8\x95\x5C\\"})
    values.push_back(v);

  TempFolder dir;
  const std::string ini = dir.PathA() + "Yorudex.INI";
  std::vector<const settings::SettingKey*> texts;
  for (const settings::SettingKey& entry : settings::Keys())
    if (entry.kind == settings::Kind::String) texts.push_back(&entry);
  size_t changed = 0;
  for (size_t first = 0; first < values.size(); first += texts.size()) {
    settings::Settings out;
    for (size_t k = 0; k < texts.size(); ++k)
      settings::TextIn(out, *texts[k]) = values[(first + k) % values.size()];
    settings::SaveSettings(out, ini);
    const settings::Settings in = settings::LoadSettings(ini);
    for (const settings::SettingKey* entry : texts) {
      const std::string& written = settings::TextIn(out, *entry);
      const std::string& read = settings::TextIn(in, *entry);
      if (read == written) continue;
      ++changed;
      ADD_FAILURE() << entry->key << ": wrote " << ::testing::PrintToString(written) << ", read "
                    << ::testing::PrintToString(read);
    }
  }
  Measured(std::to_string(values.size()) + " values, " + std::to_string(changed) + " changed");
}

}  // namespace
}  // namespace yx::test
