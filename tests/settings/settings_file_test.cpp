#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include "base/file_error.h"
#include "settings/settings_keys.h"
#include "support/temp_folder.h"
#include "win/text.h"

namespace yx::settings {
namespace {

class SettingsFileTest : public ::testing::Test {
 protected:
  test::TempFolder dir;
  std::string ini = dir.PathA() + "Yorudex.INI";
  std::wstring ini_wide = dir.Path() + L"Yorudex.INI";
};

TEST_F(SettingsFileTest, AMissingFileGivesEveryDefault) {
  const Settings s = LoadSettings(ini);
  for (int day = 0; day < 7; ++day) {
    EXPECT_TRUE(s.launch_days[day]);
    EXPECT_TRUE(s.del_days[day]);
  }
  EXPECT_TRUE(s.use_time_list);
  EXPECT_EQ(s.times[0], "1200");
  EXPECT_EQ(s.times[9], "");
  EXPECT_EQ(s.del_value, 14);
  EXPECT_EQ(s.kill_value, 30);
  EXPECT_EQ(s.period_span, 1);
  EXPECT_FALSE(s.use_lha);
  EXPECT_EQ(s.destination, "");
  EXPECT_EQ(s, DefaultSettings());
  EXPECT_FALSE(dir.Exists(L"Yorudex.INI")) << "loading must not create the file";
}

Settings Filled() {
  Settings s;
  for (const SettingKey& k : Keys()) {
    if (k.kind == Kind::Flag) FlagIn(s, k) = k.index % 2 == 1;
    if (k.kind == Kind::Integer) IntegerIn(s, k) = 7;
  }
  return s;
}

TEST_F(SettingsFileTest, ANewFileListsTheKeysInTableOrder) {
  Settings s = Filled();
  s.use_lha = true;
  s.times[0] = "0930";
  SaveSettings(s, ini);
  const std::string text = dir.ReadFile(L"Yorudex.INI");
  ASSERT_EQ(text.rfind("[Backup]\r\n", 0), 0u) << text;
  size_t at = 0;
  for (const SettingKey& k : Keys()) {
    const size_t found = text.find("\n" + std::string(k.key) + "=", at);
    ASSERT_NE(found, std::string::npos) << k.key;
    at = found + 1;
  }
  EXPECT_NE(text.find("\nLHA_USE=1\r\n"), std::string::npos);
  EXPECT_NE(text.find("\nTIME00=0930\r\n"), std::string::npos);
  EXPECT_NE(text.find("\nTIME_SH=7\r\n"), std::string::npos);
}

TEST_F(SettingsFileTest, ASaveKeepsForeignKeysAndSections) {
  test::WriteWholeFile(ini_wide, "[Other]\r\nA=1\r\n[Backup]\r\nMINE=keep\r\nTO=old\r\n");
  SaveSettings(Filled(), ini);
  const std::string text = dir.ReadFile(L"Yorudex.INI");
  EXPECT_NE(text.find("[Other]\r\nA=1\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("MINE=keep\r\n"), std::string::npos);
  EXPECT_EQ(text.find("TO=old"), std::string::npos);
}

TEST_F(SettingsFileTest, TextsRoundTripByteForByte) {
  Settings s = Filled();
  const std::string long_path = "C:\\" + std::string(2044, 'a');  // 2047 bytes
  s.sources[0] = long_path;
  s.times[1] = " 930";  // blanks the profile API would trim
  s.times[2] = "\"12\"";
  s.sources[1] = "C:\\\x83\x5C";  // ソ: trail byte 0x5C
  s.sources[2] = "C:\\dir. ";
  SaveSettings(s, ini);
  EXPECT_EQ(LoadSettings(ini), s);
}

// Cut, a path would name another folder: the check refuses it instead.
TEST_F(SettingsFileTest, LongerValuesAreReadWhole) {
  test::WriteWholeFile(ini_wide, "[Backup]\r\nFROM00=" + std::string(3000, 'x') + "\r\n");
  EXPECT_EQ(LoadSettings(ini).sources[0], std::string(3000, 'x'));
}

std::string Utf16(const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  for (const wchar_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return bytes;
}

// Notepad saves "Unicode" as UTF-16 with a mark, and UTF-8 with one: each
// is read and written back in its own encoding; a command line with quoted
// parts reads as written and survives the save.
TEST_F(SettingsFileTest, AFileKeepsItsEncodingAndItsQuotes) {
  const std::wstring lines =
      L"[Backup]\r\nTO=D:\\\u8868\r\nRUN_DONE=\"C:\\path with space\\x.bat\" \"arg one\"\r\n";
  const std::string utf8 =
      "\xEF\xBB\xBF[Backup]\r\nTO=D:\\\xE8\xA1\xA8\r\nRUN_DONE=\"C:\\path with space\\x.bat\" "
      "\"arg one\"\r\n";
  for (const std::string& file : {Utf16(lines), utf8}) {
    test::WriteWholeFile(ini_wide, file);
    Settings s = LoadSettings(ini);
    EXPECT_EQ(s.file_fault, "");
    EXPECT_EQ(s.destination, "D:\\\x95\x5C");  // 表
    EXPECT_EQ(s.run_done, "\"C:\\path with space\\x.bat\" \"arg one\"");
    s.use_lha = true;
    SaveSettings(s, ini);
    const std::string saved = dir.ReadFile(L"Yorudex.INI");
    EXPECT_EQ(saved.substr(0, 2), file.substr(0, 2)) << "the mark stays";
    if (file == utf8) {
      EXPECT_NE(saved.find("TO=D:\\\xE8\xA1\xA8\r\n"), std::string::npos) << saved;
      EXPECT_NE(saved.find("\r\nRUN_DONE=\"C:\\path with space\\x.bat\" \"arg one\"\r\n"),
                std::string::npos);
    } else {
      EXPECT_NE(saved.find(Utf16(L"TO=D:\\\u8868\r\n").substr(2)), std::string::npos);
      EXPECT_NE(saved.find(Utf16(L"LHA_USE=1\r\n").substr(2)), std::string::npos);
    }
    EXPECT_EQ(LoadSettings(ini), s);
  }
}

// Garbage, UTF-16 without its mark, text without the section: refused with
// a reason the check reports, and never written over.
TEST_F(SettingsFileTest, AFileThatIsNoSettingsIsRefusedAndKept) {
  for (const std::string& file :
       {std::string("\x01\x02\x00\xFF\xFE\x80garbage", 12), std::string("[\0B\0]\0", 6),
        std::string("just some notes\r\n")}) {
    test::WriteWholeFile(ini_wide, file);
    EXPECT_NE(LoadSettings(ini).file_fault.find(ini + " は設定ファイルとして読めません"),
              std::string::npos);
    EXPECT_THROW(SaveSettings(Filled(), ini), FileError);
    EXPECT_EQ(dir.ReadFile(L"Yorudex.INI"), file);
  }
  test::WriteWholeFile(ini_wide, "\r\n");
  EXPECT_EQ(LoadSettings(ini).file_fault, "") << "an empty file is a new one";
}

TEST_F(SettingsFileTest, TheFileHoldsWhatTheProfileFunctionsWouldWrite) {
  Settings s = Filled();
  s.destination = "D:\\\x95\x5C ";  // 表 (trail byte 0x5C), a final blank
  s.sources[3] = "'q'";
  // The reference: the profile functions, one key at a time, as before.
  const auto reference = [&](const std::wstring& path) {
    const std::string a = win::FromWide(path);
    for (const SettingKey& k : Keys()) {
      const std::string value = k.kind == Kind::Flag      ? std::string(FlagIn(s, k) ? "1" : "0")
                                : k.kind == Kind::Integer ? std::to_string(IntegerIn(s, k))
                                                          : EncodeText(TextIn(s, k));
      ASSERT_TRUE(::WritePrivateProfileStringA("Backup", std::string(k.key).c_str(), value.c_str(),
                                               a.c_str()));
    }
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, a.c_str());
  };
  SaveSettings(s, ini);
  std::string own = dir.ReadFile(L"Yorudex.INI");
  for (const std::string_view from : {"=", "\r\n"})  // the same values, spaced out
    for (size_t at = own.find(from); at != std::string::npos; at = own.find(from, at + 4))
      own.replace(at, from.size(), from == "=" ? " = " : " \r\n\r\n");
  const std::string files[] = {
      "",
      own,
      ";top\r\n\r\n[Other]\r\n a = 1 \r\n[backup]\r\nto = old\r\n; c = d\r\nnoeq\r\n[Z]\r\nk=v",
      "[Backup]\rTO=a\nTO=b\r\n[Backup]\r\nFROM00=x\r\n[]\r\nx=1\r\n=v\r\n = w\r\n\x1A",
      "[ Backup ] junk\r\n[Bad\r\n[\x83\x5D\r\nWEEK_MON=\x81\x40\r\n",  // ゾ: trail byte ]
  };
  for (const std::string& before : files) {
    test::WriteWholeFile(ini_wide, before);
    SaveSettings(s, ini);
    test::WriteWholeFile(dir.Path() + L"ref.ini", before);
    reference(dir.Path() + L"ref.ini");
    EXPECT_EQ(dir.ReadFile(L"Yorudex.INI"), dir.ReadFile(L"ref.ini")) << before;
  }
  EXPECT_FALSE(dir.Exists(L"Yorudex.INI.new"));
}

TEST_F(SettingsFileTest, AFailedWriteNamesTheFile) {
  // A folder in the file's place cannot be written, even by root.
  ASSERT_TRUE(::CreateDirectoryW(ini_wide.c_str(), nullptr));
  try {
    SaveSettings(Filled(), ini);
    FAIL() << "the save did not fail";
  } catch (const FileError& e) {
    EXPECT_EQ(std::string(e.what()).rfind(ini + " に書き込めません: エラー ", 0), 0u) << e.what();
  }
}

}  // namespace
}  // namespace yx::settings
