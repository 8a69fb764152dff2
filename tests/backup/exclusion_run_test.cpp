// A run of each mode over a tree that holds what users exclude: a lock file
// held open by another program, node_modules, a file over the size limit.
// The archive run goes through the project's own UNLHA32.DLL in this process.
#include <gtest/gtest.h>

#include <algorithm>

#include "backup/unlha32.h"
#include "base/byte_size.h"
#include "support/archive_paths.h"
#include "support/program_run.h"
#include "support/run_fixture.h"
#include "win/text.h"

namespace yx::test {
namespace {

// ~$見積書.xlsx (4 bytes), node_modules' two files (1,024) and big.vhd
// (1 MB and a byte) are left out.
constexpr char kExcluded[] = "\t除外: 4 件 (1.0 MB)\r\n";

class ExclusionRun : public RunTest {
 protected:
  ExclusionRun() {
    dir.WriteFile(L"src\\Work\\keep.txt", "keep");
    dir.WriteFile(L"src\\Work\\~$見積書.xlsx", "lock");
    dir.WriteFile(L"src\\Work\\web\\index.html", "html");
    dir.WriteFile(L"src\\Work\\web\\node_modules\\a\\a.js", std::string(1000, 'a'));
    dir.WriteFile(L"src\\Work\\web\\node_modules\\b.js", std::string(24, 'b'));
    dir.WriteFile(L"src\\Work\\予定表\\big.vhd", std::string(1024 * 1024 + 1, 'v'));
    dir.WriteFile(L"src\\Work\\予定表\\small.vhd", "v");
    held_ = HoldOpen(dir.Path() + L"src\\Work\\~$見積書.xlsx");
    settings.exclusions[0] = "~$*";
    settings.exclusions[3] = "node_modules\\";
    settings.exclusions[4] = "Work\\";  // the source's own name: it is still backed up
    settings.exclusion_size_mb = 1;
  }
  static std::string Log(std::string_view lines) {
    return "START=01/05/23 09:05:00\r\n" + std::string(lines) +
           "\tバックアップ正常終了\r\n\t処理時間=00:00:00\r\nEND=01/05/23 09:05:00\r\n";
  }

  win::UniqueFile held_;
};

TEST_F(ExclusionRun, CopyLeavesThemOutOfTheBackupAndTheCount) {
  ASSERT_TRUE(held_);
  EXPECT_EQ(Run(), Log(kExcluded));
  const std::wstring copy = L"dest\\0105\\23\\0905\\Work\\";
  EXPECT_EQ(dir.ReadFile(copy + L"keep.txt"), "keep");
  EXPECT_EQ(dir.ReadFile(copy + L"web\\index.html"), "html");
  EXPECT_EQ(dir.ReadFile(copy + L"予定表\\small.vhd"), "v");
  for (const wchar_t* gone : {L"~$見積書.xlsx", L"web\\node_modules", L"予定表\\big.vhd"})
    EXPECT_FALSE(dir.Exists(copy + gone)) << win::FromWide(gone);
  EXPECT_EQ(sink.total, 3);
}

TEST_F(ExclusionRun, ArchiveLeavesThemOutThroughTheLibrarysSwitches) {
  ::SetDllDirectoryW(BuildPath(L"dist").c_str());
  backup::unlha32::Load();
  ASSERT_TRUE(backup::unlha32::LibraryLoaded());
  settings.use_lha = true;
  const std::string log_text = Run();
  backup::unlha32::Unload();
  ::SetDllDirectoryW(nullptr);
  const std::wstring archive = dir.Path() + L"dest\\0105\\23\\010523_0905.lzh";
  // What it packed, read back from the archive.
  EXPECT_EQ(log_text, Log(std::string(kExcluded) + "\t3 件を圧縮しました (アーカイブ " +
                          FormatByteSize(ReadWholeFile(archive).size()) + ")\r\n"));
  std::vector<std::string> stored = StoredPaths(archive);
  std::ranges::sort(stored);
  EXPECT_EQ(stored, (std::vector<std::string>{"Work\\", "Work\\keep.txt", "Work\\web\\",
                                              "Work\\web\\index.html", "Work\\予定表\\",
                                              "Work\\予定表\\small.vhd"}));
}

// Nothing left to back up is no good backup: the run fails, naming the
// source (a pattern of every name, "*", the check refuses before).
TEST_F(ExclusionRun, PatternsThatTakeEveryFileFailTheRunAndSaySo) {
  held_ = {};
  settings.exclusions[7] = "?*";
  EXPECT_EQ(Run(), "START=01/05/23 09:05:00\r\n\tPATH=" + dir.PathA() +
                       "src\\Work\\ にはバックアップするファイルがありません\r\n"
                       "\t除外: 7 件 (1.0 MB)\r\n\tすべてのファイルが除外されました\r\n"
                       "\tバックアップの作成に失敗しました\r\n\t処理時間=00:00:00\r\nEND=01/05/23 "
                       "09:05:00\r\n");
  EXPECT_FALSE(dir.Exists(L"dest\\0105\\23\\0905\\Work"));
}

}  // namespace
}  // namespace yx::test
