// Faults that strike inside one run, between its steps: the sources change
// after they were counted, the user aborts while the run counts, copies or
// sweeps. The run is the window-free one, in this process, with a clock that
// stands still.
#include <algorithm>

#include "reliability/case_report.h"
#include "reliability/run_lines.h"
#include "reliability/run_texts.h"

#include "reliability/tree_snapshot.h"
#include "support/program_run.h"
#include "support/run_fixture.h"
#include "support/temp_folder.h"
#include "win/file_system.h"
#include "win/pause_point.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace yx::test {
namespace {

class FaultsInsideARun : public RunTest {
 protected:
  FaultsInsideARun() {
    log.on_append = [this](std::string_view added) {
      if (on_line) on_line(added);
    };
  }
  [[nodiscard]] Tree Copy() const { return Snapshot(dir.Path() + L"dest\\0105\\23\\0905\\Work"); }
  [[nodiscard]] Tree Sources() const { return Snapshot(dir.Path() + L"src\\Work"); }
  // Two folders of 4 files (src\Work\d1 and d2, nothing else): after the
  // 4th file the first folder is done, and the gauge's move to 50% is
  // reported before the copier lists the second one. Deleting there
  // is deleting after the count and before the copy of what is deleted.
  void TwoFolders() { SourceTree(2, 4, false); }
  [[nodiscard]] bool FirstFolderCopied() const { return sink.total == 8 && sink.copied == 4; }
  // The folder (d1 or d2) the copier has not reached yet.
  [[nodiscard]] std::wstring SecondFolder() const {
    return dir.Exists(L"dest\\0105\\23\\0905\\Work\\d1") ? L"d2" : L"d1";
  }
  // Acts once, at a report of the run, the first time `when` holds.
  void Once(std::function<bool()> when, std::function<void()> act) {
    sink.on_messages = [this, when, act] {
      if (fired || !when()) return;
      fired = true;
      act();
    };
  }
  // Three expired months and the forced deletion on: a sweep with three lines.
  void StartWithExpiredMonths() {
    SourceTree(1, 2);
    for (const wchar_t* month : kExpired)
      dir.WriteFile(L"dest\\" + std::wstring(month) + L"\\01\\1200\\Work\\x.txt", "old");
    // The newest backup is never swept: yesterday's is.
    dir.WriteFile(L"dest\\0105\\22\\1200\\Work\\x.txt", "newer");
    settings.kill_use = true;
  }
  static constexpr const wchar_t* kExpired[] = {L"0101", L"0102", L"0103"};
  bool fired = false;
  // Called for every line appended to the run log.
  std::function<void(std::string_view line)> on_line;
};

TEST_F(FaultsInsideARun, AFileDeletedAfterTheCountIsLeftOutAndTheRunSucceeds) {
  Describe(
      "A source file is deleted after the counting pass, before the copier reaches its "
      "folder.",
      "The run succeeds; the copy holds every remaining file byte for byte and not the "
      "deleted one.");
  TwoFolders();
  std::wstring deleted;
  Once([this] { return FirstFolderCopied(); },
       [&] {
         deleted = SecondFolder() + L"\\f1.txt";
         ASSERT_TRUE(::DeleteFileW((dir.Path() + L"src\\Work\\" + deleted).c_str()));
       });
  const std::string log = Run();
  ASSERT_TRUE(fired);
  EXPECT_TRUE(LogHolds(log, "", {{kStart, {kDone}}}));
  EXPECT_TRUE(IsCopyOf(Copy(), Sources(), true));
  EXPECT_FALSE(Copy().contains(deleted));
}

TEST_F(FaultsInsideARun, AFolderRemovedAfterTheCountIsLeftOutAndTheRunSucceeds) {
  Describe(
      "A source sub-folder with its files is removed after the counting pass, before the "
      "copier reaches it.",
      "The run succeeds; the copy holds the rest byte for byte and none of the removed "
      "files (at most the folder, empty, when the listing already held its name).");
  TwoFolders();
  std::wstring removed;
  Once([this] { return FirstFolderCopied(); },
       [&] {
         removed = SecondFolder();
         RemoveTree(dir.Path() + L"src\\Work\\" + removed);
       });
  const std::string log = Run();
  ASSERT_TRUE(fired);
  EXPECT_FALSE(dir.Exists(L"src\\Work\\" + removed));
  EXPECT_TRUE(LogHolds(log, "", {{kStart, {kDone}}}));
  Tree copy = Copy();
  if (copy.contains(removed)) {
    Measured("the folder's name was already listed: it is copied as an empty folder");
    EXPECT_TRUE(copy[removed].folder);
    copy.erase(removed);
  }
  EXPECT_TRUE(IsCopyOf(copy, Sources(), true));
  EXPECT_EQ(FileCount(copy), 4u);
}

TEST_F(FaultsInsideARun, ASecondSourceRemovedAfterTheCountFailsTheRun) {
  Describe(
      "Of two sources, the second is removed after the counting pass, while the first is "
      "being copied.",
      "The run logs the failure line; the first source's copy stays whole; nothing of the "
      "second is made.");
  SourceTree(0, 4);
  dir.WriteFile(L"src2\\Mail\\m.txt", "mail");
  total_files = 5;
  settings.sources[1] = dir.PathA() + "src2\\Mail";
  Once([this] { return sink.total == 5 && sink.copied == 4; },
       [this] { RemoveTree(dir.Path() + L"src2\\Mail"); });
  const std::string log = Run();
  ASSERT_TRUE(fired);
  const std::wstring gone = dir.Path() + L"src2\\Mail\\";
  EXPECT_TRUE(LogHolds(log, "", {{kStart, {FaultText(gone, ERROR_FILE_NOT_FOUND), kFailed}}}));
  EXPECT_TRUE(IsCopyOf(Copy(), Sources(), true));
  EXPECT_FALSE(dir.Exists(L"dest\\0105\\23\\0905\\Mail"));
}

TEST_F(FaultsInsideARun, AFileDeletedWhileItsFolderIsBeingCopiedEndsTheRunConsistently) {
  Describe(
      "While a folder of 20 files is being copied (after the 4th file), the files not yet "
      "copied are deleted.",
      "The run ends with the success line: a file deleted from the source is no file the "
      "backup lacks; every file copied equals its source.");
  SourceTree(0, 20);
  const Tree before = Sources();
  Once([this] { return sink.copied == 4; },
       [this] {
         for (int i = 0; i < 20; ++i) {
           const std::wstring name = L"f" + std::to_wstring(i) + L".txt";
           if (!dir.Exists(L"dest\\0105\\23\\0905\\Work\\" + name))
             ::DeleteFileW((dir.Path() + L"src\\Work\\" + name).c_str());
         }
       });
  const std::string log = Run();
  ASSERT_TRUE(fired);
  const Tree copy = Copy();
  EXPECT_EQ(FileCount(copy), 4u);
  EXPECT_TRUE(IsCopyOf(copy, before, false));
  // Whether a file deleted after its folder's listing began is still listed
  // is the file system's affair; a listed file that is gone is passed over.
  const bool listed_anyway = sink.copied > 4;
  EXPECT_TRUE(LogHolds(log, "", {{kStart, {kDone}}}));
  Measured(listed_anyway ? "Wine still lists the deleted files: each is passed over"
                         : "Wine no longer lists the deleted files");
}

TEST_F(FaultsInsideARun, AnAbortDuringTheCountStopsBeforeAnythingIsCopied) {
  Describe("The abort button is pressed while the counting pass is half-way through 13 folders.",
           "The abort line is logged; the partial count stays; the target folder stays and "
           "nothing is copied; the progress window is hidden.");
  SourceTree(12, 1);
  Once([this] { return sink.count >= 4 && sink.total < 0; }, [this] { sink.PressAbort(); });
  const std::string log = Run();
  ASSERT_TRUE(fired);
  EXPECT_TRUE(LogHolds(log, "", {{kStart, {kAborted}}}));
  EXPECT_LT(sink.count, total_files);
  EXPECT_EQ(sink.copied, 0);
  EXPECT_TRUE(dir.Exists(L"dest\\0105\\23\\0905\\"));
  EXPECT_FALSE(dir.Exists(L"dest\\0105\\23\\0905\\Work"));
}

TEST_F(FaultsInsideARun, AnAbortDuringTheCopyKeepsWhatWasCopiedWhole) {
  Describe("The abort button is pressed after the 4th of 20 files has been copied.",
           "The abort line is logged; the copy stops at the next entry and holds exactly the "
           "4 files, each byte for byte.");
  SourceTree(0, 20);
  Once([this] { return sink.copied == 4; }, [this] { sink.PressAbort(); });
  const std::string log = Run();
  ASSERT_TRUE(fired);
  EXPECT_TRUE(LogHolds(log, "", {{kStart, {kAborted}}}));
  EXPECT_EQ(sink.copied, 4);
  EXPECT_EQ(FileCount(Copy()), 4u);
  EXPECT_TRUE(IsCopyOf(Copy(), Sources(), false));
}

TEST_F(FaultsInsideARun, AnAbortPressedDuringTheSweepTakesEffectAtTheCount) {
  Describe(
      "The abort button is clicked while the sweep deletes three expired months (the click "
      "waits in the queue: the sweep lets no message through).",
      "The sweep finishes (all three months gone, three lines), the count stops at once: "
      "abort line, target folder made, nothing copied.");
  StartWithExpiredMonths();
  on_line = [this](std::string_view line) {
    if (!fired && line.find(" を削除しました") != std::string_view::npos) {
      fired = true;
      sink.PressAbort();
    }
  };
  const std::string log = Run();
  ASSERT_TRUE(fired);
  std::vector<std::string> lines = SplitLines(log);
  ASSERT_EQ(lines.size(), 7u) << log;
  std::sort(lines.begin() + 1, lines.begin() + 4);
  EXPECT_EQ(lines[1], "\t" + Dest() + "\\0101 を削除しました");
  EXPECT_EQ(lines[3], "\t" + Dest() + "\\0103 を削除しました");
  EXPECT_EQ(lines[4], kAborted);
  for (const wchar_t* month : kExpired) EXPECT_FALSE(dir.Exists(L"dest\\" + std::wstring(month)));
  EXPECT_TRUE(dir.Exists(L"dest\\0105\\23\\0905\\"));
  EXPECT_FALSE(dir.Exists(L"dest\\0105\\23\\0905\\Work"));
}

TEST_F(FaultsInsideARun, ACancelSeenInsideTheSweepStopsItAtTheNextEntry) {
  Describe(
      "The cancel flag is set right after the sweep's first deletion (as if an abort had "
      "been handled there).",
      "The sweep stops at its next entry: one deletion line, the other expired months "
      "untouched; the run logs the abort line.");
  StartWithExpiredMonths();
  on_line = [this](std::string_view line) {
    if (line.find(" を削除しました") != std::string_view::npos) sink.cancel = true;
  };
  const std::string log = Run();
  const std::vector<std::string> lines = SplitLines(log);
  ASSERT_EQ(lines.size(), 5u) << log;
  int left = 0;
  for (const wchar_t* month : kExpired) {
    const bool there = dir.Exists(L"dest\\" + std::wstring(month) + L"\\01\\1200\\Work\\x.txt");
    left += there;
    if (!there) {
      EXPECT_EQ(lines[1], "\t" + Dest() + "\\" + win::FromWide(month) + " を削除しました");
    }
  }
  EXPECT_EQ(left, 2);
  EXPECT_EQ(lines[2], kAborted);
}

TEST_F(FaultsInsideARun, AFullDiskAtTheCatalogLeavesNoneAndTheNextRunLinksToNothingOfIt) {
  Describe(
      "Linking on, the destination a file system of 1 MiB. The run copies two small files; "
      "between its last file and its catalog the disk is filled to the last byte. The next run, "
      "with the disk freed again, backs up the same unchanged files.",
      "The first run's log names its catalog with the system's reason; the day folder holds "
      "the backup and nothing beside it (no catalog under its name, no file it was being "
      "written to). The next run links no file to the backup without a catalog.");
  const std::wstring dest = FolderOnSmallDisk(L"catalog");
  if (dest.empty()) GTEST_SKIP() << "no small file system mounted (mounting needs root)";
  settings.destination = win::FromWide(dest);
  settings.link_use = true;
  SourceTree(0, 2);
  const std::wstring filler = FolderOnSmallDisk(L"filler") + L"filler.bin";
  win::SetPausePointForTesting([&](std::string_view name) {
    if (name != "catalog") return;
    win::UniqueFile file(::CreateFileW(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string block(4096, 'f');
    for (DWORD put = 0; ::WriteFile(file.get(), block.data(), 4096, &put, nullptr) && put;) {
    }
    const std::string byte(1, 'f');
    for (DWORD put = 0; ::WriteFile(file.get(), byte.data(), 1, &put, nullptr) && put;) {
    }
  });
  const std::string first = Run();
  win::SetPausePointForTesting({});
  const size_t before = first.size();
  const std::wstring day = dest + L"0105\\23\\";
  EXPECT_NE(first.find(win::FromWide(day) + "0905.catalog"), std::string::npos) << first;
  std::vector<std::wstring> beside;
  (void)win::ForEachEntry(day, [&](const WIN32_FIND_DATAW& e) {
    if (!win::IsDotEntry(e)) beside.emplace_back(e.cFileName);
    return true;
  });
  EXPECT_EQ(beside, std::vector<std::wstring>{L"0905"});
  ASSERT_TRUE(::DeleteFileW(filler.c_str()));
  now = EncodeDateTime(2001, 5, 23, 9, 6);
  const std::string next = Run().substr(before);
  EXPECT_NE(next.find("0 件をリンク、2 件"), std::string::npos) << next;
  RemoveTree(dest);
}

}  // namespace
}  // namespace yx::test
