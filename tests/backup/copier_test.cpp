// Counting and copying real trees in a fresh temporary folder, with a sink
// that records what the copier shows and where it reports.
#include <gtest/gtest.h>

#include <algorithm>

#include "backup/fault_lines.h"
#include "copier_fixture.h"
#include "win/file_system.h"
#include "win/pause_point.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace yx::backup::testing {
namespace {

using Copier = CopierTest;

// Every file below `folder`, relative to it, in the order the copy walks.
std::vector<std::wstring> WalkOrder(const std::wstring& folder,
                                    const std::wstring& relative = L"") {
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW(win::ToLongPath(folder + relative + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      files.push_back(relative + name);
    } else {
      // Marked, so a test can tell folders from files.
      files.push_back(relative + name + L"\\");
      for (auto& inner : WalkOrder(folder, relative + name + L"\\"))
        files.push_back(std::move(inner));
    }
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return files;
}

std::vector<std::wstring> FilesOnly(std::vector<std::wstring> entries) {
  std::erase_if(entries, [](const std::wstring& e) { return e.ends_with(L'\\'); });
  return entries;
}

class CopierTree : public Copier {
 protected:
  void SetUp() override {
    Copier::SetUp();
    ASSERT_TRUE(MakeFolder(source_));
    ASSERT_TRUE(MakeFolder(target_));
  }
  // Count and publish the total as a copy run does before copying.
  void CountAll(std::initializer_list<std::wstring> sources, int threads = 1) {
    NewCopier(threads);
    for (const auto& s : sources) ASSERT_TRUE(copier_->CountFiles(s));
    copier_->ShowTotal();
    sink_.events.clear();
  }
  void MakeFiles(const std::wstring& folder, int count, size_t size = 100) {
    for (int i = 0; i < count; ++i)
      ASSERT_TRUE(WriteFile(folder + L"f" + std::to_wstring(i) + L".dat", size, i));
  }
  // A folder link `link` to the folder `target`, both below the source.
  [[nodiscard]] bool Link(const std::wstring& link, const std::wstring& target) {
    return links_.Make(test::UnixPath(source_ + link), test::UnixPath(source_ + target),
                       source_ + link);
  }
  void ExpectSameFile(const std::wstring& relative) {
    const std::string copy = ReadFile(target_ + relative);
    EXPECT_NE(copy, "<missing>") << "not copied: " << win::FromWide(relative);
    EXPECT_EQ(copy, ReadFile(source_ + relative)) << win::FromWide(relative);
  }

  const std::wstring source_ = temp_.Path() + L"src\\";
  const std::wstring target_ = temp_.Path() + L"dst\\";
};

TEST_F(CopierTree, TenSmallFilesRefreshTheGaugeAfterTheFourthAndEighthOnly) {
  MakeFiles(source_, 10);
  CountAll({source_});
  EXPECT_EQ(sink_.total, 10);
  ASSERT_TRUE(copier_->CopyTree(target_, source_));
  // 10 is no multiple of 4: the count stays at 8 until the run ends.
  EXPECT_EQ(sink_.events, (std::vector<std::string>{"copied 0", "report", "copied 4", "report",
                                                    "copied 8", "report"}));
  EXPECT_EQ(copier_->FilesCopied(), 10);
  for (const auto& name : FilesOnly(WalkOrder(source_))) ExpectSameFile(name);
  EXPECT_EQ(FilesOnly(WalkOrder(target_)).size(), 10u);
}

TEST_F(CopierTree, OnlyAFileOfMoreThanAMillionBytesRefreshesByItsSize) {
  ASSERT_TRUE(MakeFolder(source_ + L"exact"));
  ASSERT_TRUE(MakeFolder(source_ + L"over"));
  ASSERT_TRUE(WriteFile(source_ + L"exact\\a.bin", 1000000));
  ASSERT_TRUE(WriteFile(source_ + L"over\\b.bin", 1000001));

  CountAll({source_ + L"exact\\"});
  ASSERT_TRUE(copier_->CopyTree(target_, source_ + L"exact\\"));
  EXPECT_EQ(Shown(), std::vector<std::string>{"copied 0"});

  ASSERT_TRUE(MakeFolder(temp_.Path() + L"dst2"));
  CountAll({source_ + L"over\\"});
  ASSERT_TRUE(copier_->CopyTree(temp_.Path() + L"dst2\\", source_ + L"over\\"));
  EXPECT_EQ(Shown(), (std::vector<std::string>{"copied 0", "copied 1"}));
  EXPECT_EQ(ReadFile(temp_.Path() + L"dst2\\b.bin"), ReadFile(source_ + L"over\\b.bin"));
}

TEST_F(CopierTree, EnteringTheNextSourceRefreshesTheGauge) {
  const std::wstring first = source_ + L"first\\";
  const std::wstring second = source_ + L"second\\";
  ASSERT_TRUE(MakeFolder(first));
  ASSERT_TRUE(MakeFolder(second));
  MakeFiles(first, 3);
  CountAll({first, second});
  ASSERT_TRUE(MakeFolder(target_ + L"first"));
  ASSERT_TRUE(MakeFolder(target_ + L"second"));
  ASSERT_TRUE(copier_->CopyTree(target_ + L"first\\", first));
  ASSERT_TRUE(copier_->CopyTree(target_ + L"second\\", second));
  EXPECT_EQ(Shown(), (std::vector<std::string>{"copied 0", "copied 3"}));
}

TEST_F(CopierTree, AFolderOfFoldersCountsZeroAndCopiesItsShape) {
  ASSERT_TRUE(MakeFolder(source_ + L"x"));
  ASSERT_TRUE(MakeFolder(source_ + L"x\\y"));
  ASSERT_TRUE(MakeFolder(source_ + L"z"));
  CountAll({source_});
  EXPECT_EQ(copier_->FileTotal(), 0);
  ASSERT_TRUE(copier_->CopyTree(target_, source_));
  EXPECT_TRUE(win::FolderExists(target_ + L"x\\y\\"));
  EXPECT_TRUE(win::FolderExists(target_ + L"z\\"));
}

TEST_F(CopierTree, AMissingSourceCountsAndCopiesAsNothing) {
  CountAll({temp_.Path() + L"missing\\"});
  EXPECT_EQ(copier_->FileTotal(), 0);
  // Gone from the source: nothing of it is missing from the backup.
  std::vector<std::wstring> faults;
  EXPECT_TRUE(copier_->CopyTree(target_, temp_.Path() + L"missing\\",
                                [&](const std::wstring& path, DWORD) { faults.push_back(path); }));
  EXPECT_TRUE(faults.empty());
}

TEST_F(CopierTree, AnExistingFileIsReportedAndKeptAndTheRestIsCopied) {
  MakeFiles(source_, 10);
  const std::vector<std::wstring> order = FilesOnly(WalkOrder(source_));
  ASSERT_EQ(order.size(), 10u);
  // The sixth file listed is already at the target.
  const std::wstring& clash = order[5];
  ASSERT_TRUE(WriteFile(target_ + clash, 7, 99));
  const std::string before = ReadFile(target_ + clash);

  CountAll({source_});
  std::vector<std::pair<std::wstring, DWORD>> faults;
  EXPECT_FALSE(copier_->CopyTree(target_, source_, [&](const std::wstring& path, DWORD error) {
    faults.emplace_back(path, error);
  }));
  EXPECT_EQ(ReadFile(target_ + clash), before);
  ASSERT_EQ(faults.size(), 1u);
  EXPECT_EQ(faults[0].first, source_ + clash);
  EXPECT_EQ(faults[0].second, static_cast<DWORD>(ERROR_FILE_EXISTS));
  EXPECT_EQ(copier_->FilesCopied(), 10);
  for (size_t i = 0; i < order.size(); ++i)
    if (i != 5) ExpectSameFile(order[i]);
}

TEST_F(CopierTree, NamesOutsideCodePage932AreCopied) {
  const std::wstring hangul = L"\uD55C\uAE00.txt";     // 한글
  const std::wstring emoji = L"\U0001F600 smile.txt";  // a character beyond the BMP
  const std::wstring folder = L"caf\u00E9";            // é has no CP932 form
  ASSERT_TRUE(WriteFile(source_ + hangul, 120, 1));
  ASSERT_TRUE(WriteFile(source_ + emoji, 130, 2));
  ASSERT_TRUE(MakeFolder(source_ + folder));
  ASSERT_TRUE(WriteFile(source_ + folder + L"\\" + hangul, 140, 3));
  CountAll({source_});
  EXPECT_EQ(copier_->FileTotal(), 3);
  ASSERT_TRUE(copier_->CopyTree(target_, source_));
  ExpectSameFile(hangul);
  ExpectSameFile(emoji);
  ExpectSameFile(folder + L"\\" + hangul);
}

TEST_F(CopierTree, ALinkToAnAncestorIsLeftOutAndALinkElsewhereIsCopiedAsAFolder) {
  //   src\d1\d2\f.txt   src\d1\d2\up -> src\d1 (the cycle closes below the source: left out)
  //   src\c\in-c.txt    src\b\to-c -> src\c (elsewhere: copied as a plain folder)
  ASSERT_TRUE(MakeFolder(source_ + L"d1"));
  ASSERT_TRUE(MakeFolder(source_ + L"d1\\d2"));
  ASSERT_TRUE(WriteFile(source_ + L"d1\\d2\\f.txt", 10));
  ASSERT_TRUE(MakeFolder(source_ + L"b"));
  ASSERT_TRUE(MakeFolder(source_ + L"c"));
  ASSERT_TRUE(WriteFile(source_ + L"c\\in-c.txt", 10, 3));
  ASSERT_TRUE(Link(L"d1\\d2\\up", L"d1"));
  ASSERT_TRUE(Link(L"b\\to-c", L"c"));
  CountAll({source_});
  EXPECT_EQ(copier_->FileTotal(), 3);
  ASSERT_TRUE(copier_->CopyTree(target_, source_));
  EXPECT_EQ(copier_->FilesCopied(), 3);
  ExpectSameFile(L"d1\\d2\\f.txt");
  ExpectSameFile(L"c\\in-c.txt");
  EXPECT_FALSE(Exists(target_ + L"d1\\d2\\up"));
  EXPECT_EQ(ReadFile(target_ + L"b\\to-c\\in-c.txt"), ReadFile(source_ + L"c\\in-c.txt"));
  EXPECT_EQ(win::Attributes(target_ + L"b\\to-c") & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
}

// Under Wine every call on a deep path costs time that grows faster than its
// depth (a 900-deep copy took minutes here), so the chain is short and the
// walk's own stack use is measured instead: a recursive walk needs at least
// one folder listing (592 bytes) per level, 177 KB at this depth, and runs
// out of the main thread's 2 MB at about 1,900 levels.
TEST_F(CopierTree, ADeepChainCostsTheCopyNoStackPerLevel) {
  std::wstring chain;
  for (int i = 0; i < 300; ++i) chain += L"d\\";
  ASSERT_TRUE(win::CreateFolderTree(source_ + chain + L"held"));
  ASSERT_TRUE(WriteFile(source_ + chain + L"bottom.txt", 10));
  // Deep enough that only the long path form reaches the bottom.
  ASSERT_GT((target_ + chain + L"bottom.txt").size(), static_cast<size_t>(MAX_PATH));
  // The folder at the bottom cannot be listed: the copy reports it from there.
  const win::UniqueFile held = test::HoldOpen(source_ + chain + L"held");
  ASSERT_TRUE(held);
  CountAll({source_});
  EXPECT_EQ(copier_->FileTotal(), 1);
  const char top = 0;
  uintptr_t deepest = 0;
  EXPECT_FALSE(copier_->CopyTree(target_, source_, [&](const std::wstring&, DWORD) {
    const char here = 0;
    deepest = reinterpret_cast<uintptr_t>(&here);
  }));
  // The stack grows down.
  ASSERT_NE(deepest, 0u);
  EXPECT_LT(reinterpret_cast<uintptr_t>(&top) - deepest, 32u * 1024);
  EXPECT_EQ(ReadFile(target_ + chain + L"bottom.txt"), Pattern(10));
}

TEST(FaultLines, TheFirstHundredAreWrittenAndTheRestCounted) {
  std::vector<std::string> log;
  FaultLines faults([&](std::string_view line) { log.emplace_back(line); });
  for (int i = 0; i < 103; ++i)
    faults.Add(L"C:\\src\\f" + std::to_wstring(i), ERROR_SHARING_VIOLATION);
  faults.Finish();
  ASSERT_EQ(log.size(), 101u);
  EXPECT_TRUE(log[0].starts_with("PATH=C:\\src\\f0 をバックアップできませんでした: エラー 32"))
      << log[0];
  EXPECT_EQ(log[100], "ほかに 3 件をバックアップできませんでした");
}

// Several copies in flight: what the copy leaves, reports and shows must be
// what one copy after another leaves.
using ParallelCopy = CopierTree;

TEST_F(ParallelCopy, AnAbortDuringALargeCopyLetsItFinishAndHandsOutNoMore) {
  // src\a\f0..f9, src\a\big.bin (over 4 MB, copied alone), src\b\f0..f9
  ASSERT_TRUE(MakeFolder(source_ + L"a"));
  ASSERT_TRUE(MakeFolder(source_ + L"b"));
  MakeFiles(source_ + L"a\\", 10, 3000);
  ASSERT_TRUE(WriteFile(source_ + L"a\\big.bin", 5 * 1024 * 1024, 9));
  MakeFiles(source_ + L"b\\", 10, 3000);
  const std::vector<std::wstring> order = FilesOnly(WalkOrder(source_));
  const size_t big = std::ranges::find(order, L"a\\big.bin") - order.begin();
  ASSERT_LT(big, order.size());
  CountAll({source_}, 3);
  // The user presses abort as the large file is about to be copied; the
  // window takes the click while that copy runs, or right after it.
  int copies = 0;
  win::SetPausePointForTesting([&](std::string_view name) {
    if (name == "copy-file" && ++copies == static_cast<int>(big) + 1) sink_.PressAbort();
  });
  const bool copied_all = copier_->CopyTree(target_, source_);
  win::SetPausePointForTesting({});
  EXPECT_FALSE(copied_all);
  EXPECT_TRUE(sink_.cancel);
  EXPECT_EQ(copier_->FilesCopied(), static_cast<int32_t>(big) + 1);
  EXPECT_EQ(copies, static_cast<int>(big) + 1);
  EXPECT_EQ(FilesOnly(WalkOrder(target_)).size(), big + 1);
  for (size_t i = 0; i < order.size(); ++i) {
    if (i <= big)
      ExpectSameFile(order[i]);
    else
      EXPECT_FALSE(Exists(target_ + order[i])) << win::FromWide(order[i]);
  }
}

TEST_F(ParallelCopy, FailuresAreReportedInTheWalksOrderOnThisThreadAsWithOneCopyAtATime) {
  //   src\f0..f23 (f5, f17 held)  src\sub\f0..f7 (f3 held)  src\sub2\ (already at the target)
  //   src\big.bin (over 4 MB: copied alone)
  MakeFiles(source_, 24, 2000);
  ASSERT_TRUE(MakeFolder(source_ + L"sub"));
  MakeFiles(source_ + L"sub\\", 8, 2000);
  ASSERT_TRUE(MakeFolder(source_ + L"sub2"));
  ASSERT_TRUE(WriteFile(source_ + L"sub2\\x.txt", 10));
  ASSERT_TRUE(WriteFile(source_ + L"big.bin", 5 * 1024 * 1024 + 1, 7));
  const std::wstring unreadable[] = {L"f5.dat", L"f17.dat", L"sub\\f3.dat"};
  std::vector<win::UniqueFile> held;
  for (const auto& name : unreadable) {
    held.push_back(test::HoldOpen(source_ + name));
    ASSERT_TRUE(held.back()) << win::FromWide(name);
  }
  const std::vector<std::wstring> order = WalkOrder(source_);
  std::vector<std::wstring> expected;
  for (const auto& entry : order)
    if (entry == L"sub2\\" || std::ranges::find(unreadable, entry) != std::end(unreadable))
      expected.push_back(source_ + (entry == L"sub2\\" ? L"sub2" : entry));

  // The same tree copied one file at a time, three at a time, and with the
  // number chosen while copying (with the stepped clock, it changes every
  // eight files).
  const DWORD here = ::GetCurrentThreadId();
  for (int threads : {1, 3, 0}) {
    const std::wstring target = temp_.Path() + L"dst" + std::to_wstring(threads) + L"\\";
    ASSERT_TRUE(MakeFolder(target));
    ASSERT_TRUE(MakeFolder(target + L"sub2"));
    CountAll({source_}, threads);
    std::vector<std::wstring> seen;
    EXPECT_FALSE(copier_->CopyTree(target, source_, [&](const std::wstring& path, DWORD) {
      EXPECT_EQ(::GetCurrentThreadId(), here);
      seen.push_back(path);
    }));
    EXPECT_EQ(copier_->FilesCopied(), 24 + 8 + 1);
    EXPECT_EQ(seen, expected) << threads << " at a time";
    for (const auto& entry : FilesOnly(order)) {
      const bool missing = std::ranges::find(unreadable, entry) != std::end(unreadable);
      if (missing) {
        // Never left under its name, torn or empty.
        EXPECT_FALSE(Exists(target + entry)) << win::FromWide(entry);
      } else if (!entry.starts_with(L"sub2\\")) {
        EXPECT_EQ(ReadFile(target + entry), ReadFile(source_ + entry)) << win::FromWide(entry);
      }
    }
    EXPECT_FALSE(Exists(target + L"sub2\\x.txt"));
  }
}

}  // namespace
}  // namespace yx::backup::testing
