// Runs killed from outside (TerminateProcess, as a shutdown or a user's task
// manager would) while they copy, sweep or save the log: the log is never cut
// short, and the next run works.
#include "reliability/unattended_fixture.h"

#include "win/file_system.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace yx::test {
namespace {

constexpr char kEarlier[] = "START=01/05/01 12:00:00\r\n\tバックアップ正常終了\r\n";

class InterruptedRuns : public UnattendedTest {
 protected:
  // src\Work: `folders` folders of `files` files of 2 KB.
  void BigSource(int folders, int files) {
    for (int f = 0; f < folders; ++f)
      for (int i = 0; i < files; ++i)
        dir.WriteFile(L"src\\Work\\d" + std::to_wstring(f) + L"\\f" + std::to_wstring(i) + L".dat",
                      std::string(2048, static_cast<char>('A' + (f + i) % 26)));
  }
  // The name the listing gives `n`th (0-based) in `folder`.
  std::wstring NthEntry(const std::wstring& folder, int n) const {
    std::wstring name;
    int seen = 0;
    (void)win::ForEachEntry(folder, [&](const WIN32_FIND_DATAW& e) {
      if (win::IsDotEntry(e)) return true;
      if (seen++ == n) name = e.cFileName;
      return name.empty();
    });
    return name;
  }
};

TEST_F(InterruptedRuns, KilledDuringTheCopyTheLogIsWholeAndTheNextRunWorks) {
  Describe("The program is killed while it copies a tree of 1,600 files; a run a minute later.",
           "After the kill the log is byte for byte what it was; every file of the partial copy "
           "is its source or the start of it (the one being copied); the next run succeeds into "
           "its own folder and the log holds the earlier lines and that run.");
  BigSource(16, 100);
  Settings();
  dir.WriteFile(L"log\\0105.log", kEarlier);
  // Killed once the 51st file of the first folder copied is there.
  const std::wstring first = NthEntry(dir.Path() + L"src\\Work\\", 0);
  const std::wstring fifty_first = dir.Path() + L"dest\\0105\\23\\0905\\Work\\" + first + L"\\" +
                                   NthEntry(dir.Path() + L"src\\Work\\" + first + L"\\", 50);
  Run(KilledRun(), kNow, [&] { return win::Attributes(fifty_first) != INVALID_FILE_ATTRIBUTES; });
  EXPECT_EQ(Log(), kEarlier);
  const Tree partial = Backup(L"0105\\23\\0905\\Work");
  const Tree source = Source();
  int cut = 0;
  for (const auto& [path, entry] : partial) {
    if (entry.folder) continue;
    ASSERT_TRUE(source.contains(path));
    const std::string& whole = *source.at(path).bytes;
    if (*entry.bytes == whole) continue;
    EXPECT_TRUE(whole.starts_with(*entry.bytes)) << win::FromWide(path);
    ++cut;
  }
  EXPECT_LE(cut, 1);
  EXPECT_LT(FileCount(partial), FileCount(source)) << "the kill came after the copy";
  Measured(std::to_string(FileCount(partial)) + " of 1600 files copied when killed");

  Run({}, "2001-05-23 09:06:00");
  EXPECT_TRUE(LogHolds(Log(), kEarlier, {{"01/05/23 09:06:00", {kDone}}}));
  EXPECT_TRUE(IsCopyOf(Backup(L"0105\\23\\0906\\Work"), source, true));
}

TEST_F(InterruptedRuns, KilledDuringTheSweepTheNextRunFinishesTheSweep) {
  Describe(
      "The program is killed while the sweep deletes an expired backup of 3,000 files; a "
      "run the next day.",
      "After the kill the log is byte for byte what it was and the newer backups are "
      "untouched; the next run deletes the rest of the expired backup with its line and "
      "succeeds.");
  Settings({{"KILL_USE", "1"}, {"KILL_VAL", "30"}});
  for (int i = 0; i < 3000; ++i)
    dir.WriteFile(L"dest\\0003\\01\\1200\\Work\\f" + std::to_wstring(i) + L".dat", "x");
  dir.WriteFile(L"dest\\0105\\20\\1200\\Work\\keep.txt", "recent");
  dir.WriteFile(L"log\\0105.log", kEarlier);
  const std::wstring expired = dir.Path() + L"dest\\0003\\01\\1200\\Work\\";
  const std::wstring tenth = expired + NthEntry(expired, 10);
  Run(KilledRun({L"dest\\0003"}), kNow,
      [&] { return win::Attributes(tenth) == INVALID_FILE_ATTRIBUTES; });
  EXPECT_EQ(Log(), kEarlier);
  EXPECT_TRUE(dir.Exists(L"dest\\0003\\01\\1200\\Work")) << "the kill came after the sweep";
  EXPECT_EQ(dir.ReadFile(L"dest\\0105\\20\\1200\\Work\\keep.txt"), "recent");
  EXPECT_FALSE(dir.Exists(L"dest\\0105\\23\\0905")) << "the run was killed before its target";

  Run(Sweeps({L"dest\\0003"}), "2001-05-24 09:05:00");
  EXPECT_TRUE(LogHolds(Log(), kEarlier,
                       {{"01/05/24 09:05:00", {"\t" + Dest() + "\\0003 を削除しました", kDone}}}));
  EXPECT_EQ(dir.ReadFile(L"dest\\0105\\20\\1200\\Work\\keep.txt"), "recent");
}

TEST_F(InterruptedRuns, KilledDuringTheLogSaveTheLogIsTheOldOrTheNewOneWhole) {
  Describe(
      "The program is killed while it saves a 96 MB log (when its new file appears beside "
      "the log); a run a minute later.",
      "After the kill the log is either the earlier 96 MB byte for byte or those followed "
      "by the killed run's lines, never cut short; the next run works and appends its "
      "lines to whichever it found.");
  Settings();
  std::string earlier;
  earlier.reserve(96u << 20);
  while (earlier.size() < (96u << 20)) earlier += kEarlier;
  dir.WriteFile(L"log\\0105.log", earlier);
  const std::wstring pattern = dir.Path() + L"log\\*.new";
  auto saving = [&] {
    WIN32_FIND_DATAW found;
    const win::UniqueFind find(::FindFirstFileW(pattern.c_str(), &found));
    return static_cast<bool>(find);
  };
  Run(KilledRun(), kNow, saving);
  const std::string after_kill = Log();
  ExpectedRun killed_run{kStart, {kDone}};
  killed_run.start_slack = 60;
  const bool old_log = after_kill == earlier;
  EXPECT_TRUE(old_log || LogHolds(after_kill, earlier, {killed_run}))
      << "the log is neither the old one nor the new one: " << after_kill.size() << " bytes";

  ExpectedRun next{"01/05/23 09:06:00", {kDone}};
  next.start_slack = 60;
  Run({}, "2001-05-23 09:06:00");
  EXPECT_TRUE(LogHolds(Log(), after_kill, {next}));
  // The killed save's new file is left beside the log: nothing removes it.
  int left = 0;
  (void)win::ForEachEntry(dir.Path() + L"log\\", [&](const WIN32_FIND_DATAW& e) {
    left += std::wstring_view(e.cFileName).ends_with(L".new");
    return true;
  });
  Measured(std::string(old_log
                           ? "killed while the new file was written: the old log stayed whole"
                           : "killed after the new file replaced the log: the new log is whole") +
           "; " + std::to_string(left) + " unfinished new file(s) left in the log folder");
}

}  // namespace
}  // namespace yx::test
