// Runs killed from outside (TerminateProcess, as a shutdown or a user's task
// manager would) while they copy, sweep or save the log: the log is never cut
// short, and the next run works.
#include "reliability/pause_at.h"
#include "reliability/unattended_fixture.h"
#include "support/file_index.h"

#include <algorithm>
#include <string>
#include <vector>

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
  // The files left under dest\`relative`.
  int FilesIn(std::wstring_view relative) const { return FileCount(Backup(relative)); }
};

// The top-level windows of the running program in `exe` (Wine's input
// method window aside), as "caption" with " (shown)" and " (minimised)" where
// they hold; the percentage a clock tick puts in the title left out.
std::vector<std::string> WindowsOf(const std::wstring& exe) {
  struct Search {
    const std::wstring& exe;
    std::vector<std::string> found;
  } search{exe, {}};
  ::EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        win::UniqueKernelHandle process(
            ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
        wchar_t image[MAX_PATH] = {}, text[64] = {};
        DWORD length = MAX_PATH;
        if (!process || !::QueryFullProcessImageNameW(process.get(), 0, image, &length) ||
            ::lstrcmpiW(image, s.exe.c_str()) != 0)
          return TRUE;
        ::GetClassNameW(hwnd, text, 64);
        if (::lstrcmpW(text, L"IME") == 0) return TRUE;
        ::GetWindowTextW(hwnd, text, 64);
        std::string caption = win::FromWide(text);
        if (caption.starts_with("Yorudex ") && caption.ends_with("%")) caption = "Yorudex";
        s.found.push_back(caption + (::IsWindowVisible(hwnd) ? " (shown)" : "") +
                          (::IsIconic(hwnd) ? " (minimised)" : ""));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  std::sort(search.found.begin(), search.found.end());
  return search.found;
}

TEST_F(InterruptedRuns, KilledDuringTheCopyTheLogIsWholeAndTheNextRunWorks) {
  Describe(
      "The program is killed as it is about to copy the 51st of 100 files; a run a minute "
      "later.",
      "Until the kill the program shows its minimised taskbar entry and the progress window. "
      "After the kill the log is byte for byte what it was and the 50 files copied are "
      "their sources byte for byte; the next run succeeds into its own folder and the log "
      "holds the earlier lines and that run.");
  BigSource(4, 25);
  Settings();
  dir.WriteFile(L"log\\0105.log", kEarlier);
  std::vector<std::string> shown;
  {
    PauseAt pause(L"copy-file#51");
    Run(KilledRun(), kNow, [&] {
      if (!pause.Reached()) return false;
      shown = WindowsOf(program.dir.Path() + L"Yorudex.exe");
      return true;
    });
  }
  // The taskbar entry, minimised over the hidden settings window's caption,
  // and the copy's progress.
  EXPECT_EQ(shown, (std::vector<std::string>{"Backup 処理中 (shown)", "Yorudex (shown) (minimised)",
                                             "起動日時設定"}));
  EXPECT_EQ(Log(), kEarlier);
  const Tree partial = Backup(L"0105\\23\\0905\\Work");
  const Tree source = Source();
  for (const auto& [path, entry] : partial) {
    if (entry.folder) continue;
    ASSERT_TRUE(source.contains(path));
    EXPECT_EQ(*entry.bytes, *source.at(path).bytes) << win::FromWide(path);
  }
  EXPECT_EQ(FileCount(partial), 50);

  Run({}, "2001-05-23 09:06:00");
  EXPECT_TRUE(LogHolds(Log(), kEarlier, {{"01/05/23 09:06:00", {kDone}}}));
  EXPECT_TRUE(IsCopyOf(Backup(L"0105\\23\\0906\\Work"), source, true));
}

TEST_F(InterruptedRuns, KilledAsALargeFileIsCopiedNothingTakesItsNameUntilItIsWhole) {
  Describe(
      "The program is killed once a 2 MB file is copied beside its name, before the "
      "rename; a run a minute later.",
      "The killed run's backup holds no file of that name, only big.bin.<pid>.tmp; the "
      "next run copies it whole under its name.");
  dir.WriteFile(L"src\\Work\\big.bin", std::string(2 << 20, 'b'));
  Settings();
  {
    PauseAt pause(L"copy-file-aside");
    Run(KilledRun(), kNow, [&] { return pause.Reached(); });
  }
  const Tree partial = Backup(L"0105\\23\\0905\\Work");
  ASSERT_EQ(partial.size(), 1u);
  const std::wstring& aside = partial.begin()->first;
  EXPECT_TRUE(aside.starts_with(L"big.bin.") && aside.ends_with(L".tmp")) << win::FromWide(aside);

  Run({}, "2001-05-23 09:06:00");
  EXPECT_TRUE(IsCopyOf(Backup(L"0105\\23\\0906\\Work"), Source(), true));
}

TEST_F(InterruptedRuns, KilledInsideACopyTheNextRunSharesOnlyWholeFiles) {
  Describe(
      "Three runs a minute apart over ten small files and a 2 MB file. The first runs "
      "through; then the large file changes, and the second is killed once its new copy "
      "lies beside its name, the small files before it in the walk linked to the first "
      "backup; the third runs through.",
      "The third backup is the source byte for byte. Its large file is a copy with one "
      "name, not the killed run's; each small file the second run linked is still one "
      "file with the first backup's. The killed run wrote no catalog, so the third links "
      "to the first backup, never to the killed one: every small file is the first's.");
  for (int i = 0; i < 10; ++i)
    dir.WriteFile(L"src\\Work\\f" + std::to_wstring(i) + L".txt",
                  std::string(100 + i, static_cast<char>('a' + i)));
  dir.WriteFile(L"src\\Work\\big.bin", std::string(2 << 20, 'b'));
  Settings({{"LINK_USE", "1"}});
  Run();
  dir.WriteFile(L"src\\Work\\big.bin", std::string(2 << 20, 'c'));
  {
    PauseAt pause(L"copy-file-aside");
    Run(KilledRun(), "2001-05-23 09:06:00", [&] { return pause.Reached(); });
  }
  Run({}, "2001-05-23 09:07:00");
  EXPECT_TRUE(IsCopyOf(Backup(L"0105\\23\\0907\\Work"), Source(), true));
  const std::wstring root = dir.Path() + L"dest\\0105\\23\\";
  const auto big = IndexOf(root + L"0907\\Work\\big.bin");
  ASSERT_TRUE(big);
  EXPECT_EQ(big->names, 1u);
  for (int i = 0; i < 10; ++i) {
    const std::wstring name = L"\\Work\\f" + std::to_wstring(i) + L".txt";
    const bool linked_when_killed = SameFile(root + L"0905" + name, root + L"0906" + name);
    EXPECT_TRUE(linked_when_killed || !dir.Exists(L"dest\\0105\\23\\0906" + name)) << i;
    EXPECT_TRUE(SameFile(root + L"0905" + name, root + L"0907" + name)) << i;
  }
}

TEST_F(InterruptedRuns, KilledBeforeItsCatalogIsWholeTheBackupIsNeverLinkedTo) {
  Describe(
      "Linking on, three runs a minute apart over three small files. The second, after the "
      "files changed, is killed between its last file and its catalog, or once its catalog "
      "lies whole beside its name; the third backs up the files as the second saw them.",
      "The killed backup has no catalog under its name, and the third shares no file with it: "
      "it copies every changed file anew rather than trust a backup whose catalog is missing.");
  Settings({{"LINK_USE", "1"}});
  const std::wstring day = dir.Path() + L"dest\\0105\\23\\";
  int minute = 0;
  for (const wchar_t* point : {L"catalog", L"catalog-write"}) {
    SCOPED_TRACE(win::FromWide(point));
    const auto at = [&](int m) { return "2001-05-23 09:" + std::to_string(10 + m) + ":00"; };
    for (int i = 0; i < 3; ++i)
      dir.WriteFile(L"src\\Work\\f" + std::to_wstring(i) + L".txt", at(minute) + "x");
    Run({}, at(minute));
    for (int i = 0; i < 3; ++i)
      dir.WriteFile(L"src\\Work\\f" + std::to_wstring(i) + L".txt", at(minute) + "changed");
    {
      PauseAt pause(point);
      Run(KilledRun(), at(minute + 1), [&] { return pause.Reached(); });
    }
    Run({}, at(minute + 2));
    const std::wstring killed = day + L"091" + std::to_wstring(minute + 1);
    EXPECT_EQ(win::Attributes(killed + L".catalog"), INVALID_FILE_ATTRIBUTES);
    for (int i = 0; i < 3; ++i) {
      const std::wstring name = L"\\Work\\f" + std::to_wstring(i) + L".txt";
      EXPECT_FALSE(SameFile(killed + name, day + L"091" + std::to_wstring(minute + 2) + name)) << i;
    }
    minute += 3;
  }
}

TEST_F(InterruptedRuns, KilledDuringTheSweepTheNextRunFinishesTheSweep) {
  Describe(
      "The program is killed as the sweep is about to delete the 11th of the 100 files of an "
      "expired backup; a run the next day.",
      "After the kill the log is byte for byte what it was, 90 files of the expired backup "
      "are left and the newer backups are untouched; the next run deletes the rest of the "
      "expired backup with its line and succeeds.");
  Settings({{"KILL_USE", "1"}, {"KILL_VAL", "30"}});
  for (int i = 0; i < 100; ++i)
    dir.WriteFile(L"dest\\0003\\01\\1200\\Work\\f" + std::to_wstring(i) + L".dat", "x");
  dir.WriteFile(L"dest\\0105\\20\\1200\\Work\\keep.txt", "recent");
  dir.WriteFile(L"log\\0105.log", kEarlier);
  // The sweep stops at each entry of 0003\01\1200\Work in turn: three
  // folders, then the files; the 14th stop is before the 11th file.
  {
    PauseAt pause(L"sweep-delete#14");
    Run(KilledRun({L"dest\\0003"}), kNow, [&] { return pause.Reached(); });
  }
  EXPECT_EQ(Log(), kEarlier);
  EXPECT_EQ(FilesIn(L"0003\\01\\1200\\Work"), 90);
  EXPECT_EQ(dir.ReadFile(L"dest\\0105\\20\\1200\\Work\\keep.txt"), "recent");
  EXPECT_FALSE(dir.Exists(L"dest\\0105\\23\\0905")) << "the run was killed before its target";

  Run(Sweeps({L"dest\\0003"}), "2001-05-24 09:05:00");
  EXPECT_TRUE(LogHolds(Log(), kEarlier,
                       {{"01/05/24 09:05:00", {"\t" + Dest() + "\\0003 を削除しました", kDone}}}));
  EXPECT_EQ(dir.ReadFile(L"dest\\0105\\20\\1200\\Work\\keep.txt"), "recent");
}

TEST_F(InterruptedRuns, KilledDuringTheLogSaveTheLogIsTheOldOneWhole) {
  Describe(
      "The program is killed while it saves a 1 MB log, when its new file beside the log is "
      "written but has not yet replaced the log; a run a minute later.",
      "After the kill the log is the earlier 1 MB byte for byte; the next run appends its "
      "lines to it and leaves no unfinished new file beside it.");
  Settings();
  std::string earlier;
  while (earlier.size() < (1u << 20)) earlier += kEarlier;
  dir.WriteFile(L"log\\0105.log", earlier);
  {
    PauseAt pause(L"log-save");
    Run(KilledRun(), kNow, [&] { return pause.Reached(); });
  }
  EXPECT_TRUE(Log() == earlier) << "the log changed: " << Log().size() << " bytes";
  Run({}, "2001-05-23 09:06:00");
  EXPECT_TRUE(LogHolds(Log(), earlier, {{"01/05/23 09:06:00", {kDone}}}));
  int left = 0;
  (void)win::ForEachEntry(dir.Path() + L"log\\", [&](const WIN32_FIND_DATAW& e) {
    left += std::wstring_view(e.cFileName).ends_with(L".new");
    return true;
  });
  EXPECT_EQ(left, 0) << "the killed save's new file was left";
}

}  // namespace
}  // namespace yx::test
