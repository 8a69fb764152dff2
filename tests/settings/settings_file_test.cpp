#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <map>

#include "base/file_error.h"
#include "support/temp_folder.h"
#include "win/text.h"

namespace yx::settings {
namespace {

// The record held in plain maps, standing in for the window's controls.
class MapStore final : public SettingsStore {
 public:
  std::map<std::pair<Field, int>, bool> flags;
  std::map<Field, int> integers;
  std::map<std::pair<Field, int>, std::string> texts;

  bool GetFlag(Field f, int i) const override { return flags.at({f, i}); }
  void SetFlag(Field f, int i, bool v) override { flags[{f, i}] = v; }
  int GetInteger(Field f) const override { return integers.at(f); }
  void SetInteger(Field f, int v) override { integers[f] = v; }
  std::string GetText(Field f, int i) const override { return texts.at({f, i}); }
  void SetText(Field f, int i, const std::string& v) override { texts[{f, i}] = v; }
};

class SettingsFileTest : public ::testing::Test {
 protected:
  test::TempFolder dir;
  std::string ini = dir.PathA() + "Yorudex.INI";
  std::wstring ini_wide = dir.Path() + L"Yorudex.INI";
};

TEST_F(SettingsFileTest, AMissingFileGivesEveryDefault) {
  MapStore s;
  LoadSettings(s, ini);
  for (int day = 0; day < 7; ++day) {
    EXPECT_TRUE(s.flags.at({Field::LaunchDays, day}));
    EXPECT_TRUE(s.flags.at({Field::DelDays, day}));
  }
  EXPECT_TRUE(s.flags.at({Field::UseTimeList, 0}));
  EXPECT_EQ(s.texts.at({Field::Times, 0}), "1200");
  EXPECT_EQ(s.texts.at({Field::Times, 9}), "");
  EXPECT_EQ(s.integers.at(Field::DelValue), 14);
  EXPECT_EQ(s.integers.at(Field::KillValue), 30);
  EXPECT_EQ(s.integers.at(Field::PeriodSpan), 1);
  EXPECT_FALSE(s.flags.at({Field::UseLha, 0}));
  EXPECT_EQ(s.texts.at({Field::Destination, 0}), "");
  EXPECT_FALSE(dir.Exists(L"Yorudex.INI")) << "loading must not create the file";
}

TEST_F(SettingsFileTest, EdgeValuesLoadAsCorrected) {
  test::WriteWholeFile(ini_wide,
                       "[Backup]\r\nTIME00=\r\nTIME_SH=24\r\nTIME_SM=60\r\nTIME_SS=13\r\n"
                       "DEL_VAL=0\r\nKILL_VAL=-5\r\nWEEK_MON=yes\r\nLHA_USE=yes\r\n"
                       "DEL_USE=-1\r\nGO_RND=0\r\nDEL_MONTH=1\r\nTO=D:\\表\r\n");
  MapStore s;
  LoadSettings(s, ini);
  EXPECT_EQ(s.texts.at({Field::Times, 0}), "");
  EXPECT_EQ(s.integers.at(Field::PeriodHour), 0);
  EXPECT_EQ(s.integers.at(Field::PeriodMinute), 0);
  EXPECT_EQ(s.integers.at(Field::PeriodSpan), 1);
  EXPECT_EQ(s.integers.at(Field::DelValue), 1);
  EXPECT_EQ(s.integers.at(Field::KillValue), 1);
  EXPECT_TRUE(s.flags.at({Field::LaunchDays, 0}));
  EXPECT_FALSE(s.flags.at({Field::UseLha, 0}));
  EXPECT_TRUE(s.flags.at({Field::DelUse, 0}));
  EXPECT_FALSE(s.flags.at({Field::UseTimeList, 0}));
  EXPECT_TRUE(s.flags.at({Field::DelInMonths, 0}));
  EXPECT_EQ(s.texts.at({Field::Destination, 0}), "D:\\\x95\x5C");  // 表: trail byte 0x5C
}

MapStore Filled() {
  MapStore s;
  for (const SettingKey& k : Keys()) {
    switch (k.kind) {
      case Kind::Flag:
        s.flags[{k.field, k.index}] = k.index % 2 == 1;
        break;
      case Kind::Integer:
        s.integers[k.field] = 7;
        break;
      case Kind::String:
        s.texts[{k.field, k.index}] = "";
        break;
    }
  }
  return s;
}

TEST_F(SettingsFileTest, ANewFileListsTheKeysInTableOrder) {
  MapStore s = Filled();
  s.flags[{Field::UseLha, 0}] = true;
  s.texts[{Field::Times, 0}] = "0930";
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
  MapStore s = Filled();
  const std::string long_path = "C:\\" + std::string(2044, 'a');  // 2047 bytes
  s.texts[{Field::Sources, 0}] = long_path;
  s.texts[{Field::Times, 1}] = " 930";  // blanks the profile API would trim
  s.texts[{Field::Times, 2}] = "\"12\"";
  s.texts[{Field::Sources, 1}] = "C:\\\x83\x5C";  // ソ: trail byte 0x5C
  s.texts[{Field::Sources, 2}] = "C:\\dir. ";
  SaveSettings(s, ini);
  MapStore back;
  LoadSettings(back, ini);
  for (const auto& [key, value] : s.texts) EXPECT_EQ(back.texts.at(key), value);
  EXPECT_EQ(back.flags, s.flags);
  EXPECT_EQ(back.integers, s.integers);
}

TEST_F(SettingsFileTest, LongerValuesAreCutTo2047Bytes) {
  test::WriteWholeFile(ini_wide, "[Backup]\r\nFROM00=" + std::string(3000, 'x') + "\r\n");
  MapStore s;
  LoadSettings(s, ini);
  EXPECT_EQ(s.texts.at({Field::Sources, 0}), std::string(2047, 'x'));
}

TEST_F(SettingsFileTest, TheFileHoldsWhatTheProfileFunctionsWouldWrite) {
  MapStore s = Filled();
  s.texts[{Field::Destination, 0}] = "D:\\\x95\x5C ";  // 表 (trail byte 0x5C), a final blank
  s.texts[{Field::Sources, 3}] = "'q'";
  // The reference: the profile functions, one key at a time, as before.
  const auto reference = [&](const std::wstring& path) {
    const std::string a = win::FromWide(path);
    for (const SettingKey& k : Keys()) {
      const std::string value =
          k.kind == Kind::Flag      ? std::string(s.flags.at({k.field, k.index}) ? "1" : "0")
          : k.kind == Kind::Integer ? std::to_string(s.integers.at(k.field))
                                    : EncodeText(s.texts.at({k.field, k.index}));
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
    EXPECT_EQ(std::string(e.what()), ini + " に書き込めません");
  }
}

}  // namespace
}  // namespace yx::settings
