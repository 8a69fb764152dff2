// Bad input the real program must live with: every settings key at once
// given one kind of bad value, logs that are huge, binary or of mixed line
// ends, a time cell with broken Shift-JIS, and folder names that Shift-JIS
// and Windows make awkward. The program must run, log and end every time.
#include <algorithm>

#include "reliability/unattended_fixture.h"

#include "settings/settings_keys.h"
#include "win/file_system.h"
#include "win/text.h"

namespace yx::test {
namespace {

constexpr char kTimeFault[] = "]時間の設定に誤りがあります。";
constexpr char kMinuteFault[] = "]分の設定に誤りがあります。";
constexpr char kNoDestination[] = "\tバックアップ先のフォルダが設定されていません";
constexpr char kNoArchiver[] = "\tUnlha32.dll が見つかりません。";

// One of the check's fault lines, whatever the profile functions made of the
// bytes (Wine turns a lone lead byte into 81 45, a NUL ends the value).
bool IsCheckFault(const std::string& line) {
  return (line.starts_with("\t[") &&
          (line.ends_with(kTimeFault) || line.ends_with(kMinuteFault))) ||
         line == kNoDestination ||
         (line.starts_with("\tPATH=") && line.ends_with("バックアップ元のフォルダが存在しません"));
}
constexpr char kWarning[] =
    "\t警告：「削除対象」が有効にならないような「強制削除」設定になってます";

struct BadValue {
  const char* name;
  std::string value;
  // What the profile functions give back is these very bytes (cut to 2047).
  bool read_back_as_is;
  // A non-zero integer: archive mode and both deletion rules turn on.
  bool deletes;
};

std::string AllBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

const BadValue kBadValues[] = {
    {"empty", "", true, false},
    {"huge (64 KB)", std::string(65536, 'A'), true, false},
    {"binary (every byte 00-FF, line ends included)", AllBytes(), false, false},
    {"a lead byte at the end", "12\x81", false, false},
    {"lone trail bytes", "\x80\xA0\xFD\xFE", false, false},
    {"negative", "-1", true, true},
    {"hexadecimal", "0x1E", true, true},
    {"overflowing", "2147483648", true, false},
};

class BadInput : public UnattendedTest {
 protected:
  // Every key set to `value`, except those in `keep`.
  std::string Ini(const std::string& value, const IniKeys& keep) {
    std::string text = "[Backup]\r\n";
    for (const auto& [key, kept] : keep) text += key + "=" + kept + "\r\n";
    for (const settings::SettingKey& entry : settings::Keys()) {
      const std::string key(entry.key);
      if (std::none_of(keep.begin(), keep.end(), [&](const auto& k) { return k.first == key; }))
        text += key + "=" + value + "\r\n";
    }
    return text;
  }
};

TEST_F(BadInput, EverySettingsKeyGivenOneKindOfBadValue) {
  Describe(
      "For each of: empty, huge (64 KB), binary (bytes 00-FF), a trailing lead byte, lone "
      "trail bytes, negative, hexadecimal, overflowing: first every key gets that value; "
      "then all but the times, the folders, the exclusion patterns, LHA_USE and LINK_USE (RUN_FAIL "
      "and RUN_DONE empty in both).",
      "Every run ends by itself and logs: with all keys bad, the check's first fault (the "
      "time row's text, cut to 2047 bytes, or the missing destination) and the stop line; "
      "with valid times and folders, a whole run, with the rule-conflict warning where the "
      "value turns both deletion rules on with equal limits.");
  SourceTree(L"Work");
  IniKeys usable{{"TO", Dest()},   {"FROM00", dir.PathA() + "src\\Work"},
                 {"LHA_USE", "0"}, {"LINK_USE", "0"},
                 {"RUN_FAIL", ""}, {"RUN_DONE", ""}};
  for (int row = 0; row < 10; ++row) {
    usable.emplace_back("TIME0" + std::to_string(row), "");
    if (row > 0) usable.emplace_back("FROM0" + std::to_string(row), "");
  }
  for (int row = 0; row < settings::kExclusionRows; ++row)
    usable.emplace_back((row < 10 ? "EXCL0" : "EXCL") + std::to_string(row), "");
  int day = 1;
  for (const BadValue& bad : kBadValues) {
    SCOPED_TRACE(bad.name);
    const std::string start = "01/05/0" + std::to_string(day) + " 09:05:00";
    const std::string now = "2001-05-0" + std::to_string(day++) + " 09:05:00";
    // The commands after a run stay empty: a bad value there is a command
    // that cannot start, with a line of its own (tested with the commands).
    const IniKeys no_commands{{"RUN_FAIL", ""}, {"RUN_DONE", ""}};
    program.WriteIniBytes(Ini(bad.value, no_commands));
    std::string earlier = program.HasLog(L"0105") ? Log() : "";
    Run({}, now);
    std::vector<std::string> lines = SplitLines(Log().substr(earlier.size()));
    ASSERT_EQ(lines.size(), 4u) << Log().substr(earlier.size());
    if (bad.deletes) {
      // Archive mode without the library stops the run before the check.
      EXPECT_TRUE(LogHolds(Log(), earlier, {{start, {kNoArchiver, kStopped}, false}}));
    } else if (bad.read_back_as_is) {
      // A value other readers of the file would cut is refused whole.
      const std::string fault = bad.value.empty() ? kNoDestination
                                : bad.value.size() > 2047
                                    ? "\tTO の値が長すぎます (2047 バイトまでです)"
                                    : "\t[" + bad.value + kTimeFault;
      EXPECT_TRUE(LogHolds(Log(), earlier, {{start, {fault, kStopped}, false}}));
    } else {
      EXPECT_TRUE(IsCheckFault(lines[1])) << lines[1];
      EXPECT_TRUE(LogHolds(Log(), earlier, {{start, {lines[1], kStopped}, false}}));
    }

    program.WriteIniBytes(Ini(bad.value, usable));
    earlier = Log();
    Run({}, now);
    std::vector<std::string> expected;
    if (bad.deletes) expected.push_back(kWarning);
    expected.push_back(kDone);
    EXPECT_TRUE(LogHolds(Log(), earlier, {{start, expected}}));
    RemoveTree(dir.Path() + L"dest\\0105");
  }
}

TEST_F(BadInput, AHugeLogIsKeptByteForByteWithTheRunAppended) {
  Describe("This month's log is 64 MB of earlier runs.",
           "The run loads it, appends its lines and saves it: the first 64 MB are unchanged, "
           "the run's lines follow.");
  Settings();
  std::string earlier;
  const std::string one_run =
      "START=01/05/01 12:00:00\r\n\tバックアップ正常終了\r\n\t処理時間=00:00:01\r\nEND=01/05/01 "
      "12:00:01\r\n";
  earlier.reserve(64 << 20);
  while (earlier.size() < (64u << 20)) earlier += one_run;
  dir.WriteFile(L"log\\0105.log", earlier);
  Run();
  EXPECT_TRUE(LogHolds(Log(), earlier, {{kStart, {kDone}}}));
}

TEST_F(BadInput, ABinaryLogWithMixedLineEndsIsKeptWithItsLineEndsMadeCrLf) {
  Describe(
      "This month's log holds every byte value, lone CRs and LFs, CR LF pairs, and ends "
      "without a line end.",
      "Each lone CR or LF becomes CR LF, every other byte is kept, the run's lines start "
      "on a new line, and the saved log ends without a final CR LF as the old one did.");
  Settings();
  const std::string binary = AllBytes() + "a\rb\nc\r\nd\n\re\r\r\nf";
  dir.WriteFile(L"log\\0105.log", binary);
  Run();
  std::string normalized;
  for (size_t i = 0; i < binary.size(); ++i) {
    if (binary[i] == '\r' && i + 1 < binary.size() && binary[i + 1] == '\n') continue;
    normalized +=
        binary[i] == '\r' || binary[i] == '\n' ? std::string("\r\n") : std::string(1, binary[i]);
  }
  const std::string saved = Log();
  ASSERT_TRUE(saved.starts_with(normalized + "\r\n")) << "earlier bytes changed";
  EXPECT_TRUE(LogHolds(saved + "\r\n", normalized + "\r\n", {{kStart, {kDone}}}));
  EXPECT_FALSE(saved.ends_with("\r\n"));
}

TEST_F(BadInput, ATimeCellWithBrokenShiftJisIsLoggedAndTheLogSurvivesTheNextRun) {
  Describe(
      "A launch time cell ends in a lone Shift-JIS lead byte (\"12\" + 0x81); the next "
      "day's run has a valid cell.",
      "The first run logs the cell's fault with its text (as the profile functions read it) "
      "between the brackets and "
      "stops; the second run keeps those bytes in the log and adds a whole run.");
  Settings({{"TIME00", "12\x81"}});
  Run();
  const std::string first = Log();
  const std::vector<std::string> lines = SplitLines(first);
  ASSERT_EQ(lines.size(), 4u) << first;
  EXPECT_TRUE(lines[1].starts_with("\t[12") && IsCheckFault(lines[1])) << lines[1];
  EXPECT_TRUE(LogHolds(first, "", {{kStart, {lines[1], kStopped}, false}}));
  Settings({{"TIME00", "1200"}});
  Run({}, "2001-05-24 09:05:00");
  EXPECT_TRUE(LogHolds(Log(), first, {{"01/05/24 09:05:00", {kDone}}}));
}

TEST_F(BadInput, FolderNamesWhoseLastByteIsABackslashTrailByteCopyAndSweep) {
  Describe(
      "Sources 予定表 and ソ (last bytes 5C), with a sub-folder 表\\ソ, into a destination "
      "named 保存表 given without a final backslash; an expired month there.",
      "The run succeeds; both trees are copied byte for byte under their own names; the "
      "sweep's line names the month under 保存表 and it is gone.");
  const std::string table = SourceTree(L"予定表");
  const std::string so = SourceTree(L"ソ");
  dir.WriteFile(L"src\\予定表\\表\\ソ\\deep.txt", "deep");
  dir.MakeFolder(L"保存表");
  dir.WriteFile(L"保存表\\0003\\01\\1200\\x.txt", "old");
  dir.WriteFile(L"保存表\\0105\\22\\1200\\x.txt", "newer");  // the newest stays
  const std::string dest = dir.PathA() + "保存表";
  program.WriteIni(
      {{"TO", dest}, {"FROM00", table}, {"FROM01", so}, {"KILL_USE", "1"}, {"LINK_USE", "0"}});
  Run(Sweeps({L"保存表\\0003"}));
  EXPECT_TRUE(LogHolds(Log(), "", {{kStart, {"\t" + dest + "\\0003 を削除しました", kDone}}}));
  EXPECT_TRUE(
      IsCopyOf(Snapshot(dir.Path() + L"保存表\\0105\\23\\0905\\予定表"), Source(L"予定表"), true));
  EXPECT_TRUE(IsCopyOf(Snapshot(dir.Path() + L"保存表\\0105\\23\\0905\\ソ"), Source(L"ソ"), true));
}

TEST_F(BadInput, FolderNamesEndingInABlankOrADotAreTakenLiterally) {
  Describe(
      "Sources named \"Work \" and \"Data.\" (trailing blank and dot, made through the "
      "long-path API), written quoted in the settings file.",
      "Both are found and copied byte for byte under their exact names; the run succeeds.");
  ASSERT_TRUE(win::CreateFolderTree(dir.Path() + L"src\\Work \\"));
  ASSERT_TRUE(win::CreateFolderTree(dir.Path() + L"src\\Data.\\"));
  WriteWholeFile(win::ToLongPath(dir.Path() + L"src\\Work \\a.txt"), "blank");
  WriteWholeFile(win::ToLongPath(dir.Path() + L"src\\Data.\\b.txt"), "dot");
  program.WriteIni({{"TO", Dest()},
                    {"FROM00", "\"" + dir.PathA() + "src\\Work \""},
                    {"FROM01", dir.PathA() + "src\\Data."},
                    {"LINK_USE", "0"}});
  Run();
  EXPECT_TRUE(LogHolds(Log(), "", {{kStart, {kDone}}}));
  EXPECT_TRUE(IsCopyOf(Backup(L"0105\\23\\0905\\Work "), Source(L"Work "), true));
  EXPECT_TRUE(IsCopyOf(Backup(L"0105\\23\\0905\\Data."), Source(L"Data."), true));
}

TEST_F(BadInput, ASourceNamedWithATrailingDotThatOnlyExistsWithoutItIsMissing) {
  Describe("The source is given as \"Work.\" while only the folder Work exists.",
           "The name is not bent to Work: the check reports the source as missing and the run "
           "stops before anything is written.");
  Settings({{"FROM00", dir.PathA() + "src\\Work."}});
  Run();
  EXPECT_TRUE(LogHolds(
      Log(), "",
      {{kStart,
        {"\tPATH=" + dir.PathA() + "src\\Work.バックアップ元のフォルダが存在しません", kStopped},
        false}}));
  EXPECT_FALSE(dir.Exists(L"dest\\0105"));
}

}  // namespace
}  // namespace yx::test
