// The settings check on plain records: the rules' order, which field each
// fault names, and the cut-offs of a check that passes. The file system is
// a list of folders; its names compare in ASCII case only here (the
// system's own comparison is tried in the program folder's tests).
#include "settings/settings_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace yx::settings {
namespace {

class ListedFolders final : public FolderProbe {
 public:
  std::set<std::string> folders;
  bool FolderExists(const std::string& path) const override { return folders.count(path) != 0; }
  bool FolderIsWithin(const std::string& inner, const std::string& outer) const override {
    return inner == outer || inner.starts_with(outer + "\\");
  }
  bool SameLastFolderName(const std::string& a, const std::string& b) const override {
    return Folded(a.substr(a.rfind('\\') + 1)) == Folded(b.substr(b.rfind('\\') + 1));
  }

 private:
  static std::string Folded(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(), [](char c) {
      return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return name;
  }
};

class CheckSettingsTest : public ::testing::Test {
 protected:
  CheckSettingsTest() {
    probe.folders = {"C:\\dest", "C:\\Data", "C:\\Work", "D:\\Mail\\data", "C:\\Data\\Backup"};
    s.destination = "C:\\dest";
  }
  [[nodiscard]] CheckFault Fault() const {
    const CheckResult result = CheckSettings(s, EncodeDateTime(2024, 3, 31, 10, 15), probe);
    EXPECT_TRUE(std::holds_alternative<CheckFault>(result));
    return std::holds_alternative<CheckFault>(result) ? std::get<CheckFault>(result) : CheckFault{};
  }
  [[nodiscard]] CutOffs Passed(DateTime run_start) const {
    const CheckResult result = CheckSettings(s, run_start, probe);
    EXPECT_TRUE(std::holds_alternative<CutOffs>(result));
    return std::holds_alternative<CutOffs>(result) ? std::get<CutOffs>(result) : CutOffs{};
  }
  ListedFolders probe;
  Settings s = DefaultSettings();
};

TEST_F(CheckSettingsTest, TheFirstFaultInRuleOrderIsTheOneReported) {
  s.times[0] = "1200";
  s.times[2] = "2360";
  s.times[5] = "930";
  s.destination = "";
  s.sources[4] = "C:\\nothere";
  EXPECT_EQ(Fault().message, "[2360]分の設定に誤りがあります。");
  EXPECT_EQ(Fault().field, CheckedField::kTimes);
  s.times = {};
  EXPECT_EQ(Fault().message, "バックアップ先のフォルダが設定されていません");
  EXPECT_EQ(Fault().field, CheckedField::kDestination);
  s.destination = "C:\\nothere";
  EXPECT_EQ(Fault().message, "バックアップ先のフォルダが存在しません");
  s.destination = "C:\\Data\\Backup";
  s.sources[1] = "C:\\Data";
  EXPECT_EQ(Fault().message, "PATH=C:\\nothereバックアップ元のフォルダが存在しません");
  EXPECT_EQ(Fault().field, CheckedField::kSources);
  s.sources[4] = "D:\\Mail\\data";
  EXPECT_EQ(Fault().message,
            "PATH=C:\\Dataバックアップ先がこのバックアップ元のフォルダの中にあります");
  EXPECT_EQ(Fault().field, CheckedField::kDestination);
  s.sources = {};
  s.exclusions[0] = "ソ\\";  // 83 5C: no second backslash
  s.exclusions[6] = "  \t";
  EXPECT_EQ(Fault().message, "[  \t]除外の設定に誤りがあります。(7行目)");
  EXPECT_EQ(Fault().field, CheckedField::kExclusions);
  // A pattern that takes every name would leave every backup empty.
  s.exclusions = {};
  for (const char* every : {"*", "*.*", "\\*", " ** "}) {
    s.exclusions[2] = every;
    EXPECT_EQ(Fault().message, "[" + std::string(every) + "]除外の設定に誤りがあります。(3行目)");
  }
  s.exclusions[2] = "*\\";  // every folder: the files at the top stay
  (void)Passed(EncodeDateTime(2024, 3, 31, 10, 15));
  // A value other readers of the file would cut is refused, not cut.
  s.run_fail = std::string(2048, 'x');
  EXPECT_EQ(Fault().message, "RUN_FAIL の値が長すぎます (2047 バイトまでです)");
  s.run_fail = std::string(2047, 'x');
  (void)Passed(EncodeDateTime(2024, 3, 31, 10, 15));
  // A file that could not be read says so before anything else.
  s.file_fault = "Yorudex.INI は設定ファイルとして読めません";
  EXPECT_EQ(Fault().message, s.file_fault);
}

TEST_F(CheckSettingsTest, TwoSourcesOfOneLastFolderNameAreRefusedNamingBoth) {
  s.sources = {"", "C:\\Work", "C:\\Data", "", "D:\\Mail\\data"};
  const CheckFault fault = Fault();
  EXPECT_EQ(fault.field, CheckedField::kSources);
  EXPECT_EQ(fault.message,
            "PATH=C:\\Data、PATH=D:\\Mail\\dataバックアップ元のフォルダ名が同じため、"
            "バックアップ先で同じフォルダになります。どちらかを外すか、その上のフォルダを指定してく"
            "ださい");
  s.sources[4] = "";
  (void)Passed(0);
}

TEST_F(CheckSettingsTest, APassingCheckGivesTheCutOffsOfItsRunStartAndTheConflict) {
  EXPECT_EQ(Passed(0).del_limit, kNoCutOff) << "ten empty rows and both rules off";
  s.del_use = true;
  s.del_in_months = true;
  s.del_value = 1;
  s.kill_use = true;
  s.kill_value = 30;
  const CutOffs at_month_end = Passed(EncodeDateTime(2024, 3, 31, 10, 15));
  EXPECT_DOUBLE_EQ(at_month_end.del_limit, EncodeDateTime(2024, 2, 29, 10, 15));
  EXPECT_DOUBLE_EQ(at_month_end.kill_limit, EncodeDateTime(2024, 3, 1, 10, 15));
  EXPECT_TRUE(at_month_end.rules_conflict);
  EXPECT_FALSE(Passed(EncodeDateTime(2024, 3, 15, 10, 15)).rules_conflict);
  s.del_use = false;
  EXPECT_EQ(Passed(EncodeDateTime(2024, 3, 15)).del_limit, kNoCutOff);
  EXPECT_FALSE(Passed(EncodeDateTime(2024, 3, 31)).rules_conflict);
}

}  // namespace
}  // namespace yx::settings
