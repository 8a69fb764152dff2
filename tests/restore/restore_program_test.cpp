// The real YorudexRestore.exe beside the real Yorudex.exe: backups made by
// unattended runs in both modes, listed and restored from the command line,
// and the tree that comes back compared with the source byte for byte, with
// its attributes and times.
#include <gtest/gtest.h>

#include "backup/catalog_file.h"
#include "lha/win/entry_names.h"
#include "lha/win/opened_archive.h"
#include "reliability/tree_snapshot.h"
#include "support/build_paths.h"
#include "support/program_run.h"
#include "support/temp_folder.h"
#include "win/file_system.h"
#include "win/text.h"
#include "win/writing_mark.h"

namespace yx::test {
namespace {

// A folder name of 60 characters: four of them put the deepest file past MAX_PATH.
const std::wstring kLongName(60, L'l');
const std::wstring kDeep = L"long\\" + kLongName + L"\\" + kLongName + L"\\" + kLongName + L"\\" +
                           kLongName + L"\\deep.txt";
constexpr wchar_t kBeyondShiftJis[] = L"caf\u00E9 \uD55C\uAD6D.txt";  // é and Hangul

uint64_t Modified(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(win::ToLongPath(path).c_str(), GetFileExInfoStandard, &data))
    return 0;
  return uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32 | data.ftLastWriteTime.dwLowDateTime;
}

class RestoreProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program = dir.MakeFolder(L"program");
    ASSERT_TRUE(::CopyFileW(BuildPath(L"dist\\YorudexRestore.exe").c_str(),
                            (program + L"YorudexRestore.exe").c_str(), FALSE));
    dir.WriteFile(L"src\\Work\\\u30BD\u8868.txt", "so-hyo");  // ソ表: both end in byte 0x5C
    dir.WriteFile(L"src\\Work\\" + std::wstring(kBeyondShiftJis), "beyond");
    dir.WriteFile(L"src\\Work\\" + kDeep, std::string(20000, 'd'));
    dir.WriteFile(L"src\\Work\\sub\\b.bin", std::string(70000, '\x5C') + "tail");
    dir.MakeFolder(L"src\\Work\\empty");
    const std::wstring read_only = dir.WriteFile(L"src\\Work\\read-only.txt", "locked");
    const std::wstring hidden = dir.WriteFile(L"src\\Work\\hidden.txt", "unseen");
    ASSERT_TRUE(::SetFileAttributesW(read_only.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(::SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    dir.MakeFolder(L"dest");
  }
  void TearDown() override { ::SetEnvironmentVariableW(L"YX_TEST_NOW", nullptr); }

  void Backup(const wchar_t* now, bool archive) {
    dir.WriteFile(L"program\\Yorudex.INI",
                  "[Backup]\r\nTO=" + dir.PathA() + "dest\r\nFROM00=" + dir.PathA() +
                      "src\\Work\r\nLHA_USE=" + (archive ? "1" : "0") + "\r\n");
    ::SetEnvironmentVariableW(L"YX_TEST_NOW", now);
    const ProgramResult r = RunProgram(InstallTestClockProgram(program, archive), L"/AUTO");
    ASSERT_TRUE(r.finished && r.exit_code == 0) << dir.ReadFile(L"program\\log\\2601.log");
  }
  DWORD Restore(const std::wstring& args) {
    const ProgramResult r = RunProgram(program + L"YorudexRestore.exe", args);
    EXPECT_TRUE(r.finished && !r.showed_dialog) << "a command-line run must end without a window";
    return r.exit_code;
  }
  std::string Errors() {
    return dir.Exists(L"program\\log-error.txt") ? dir.ReadFile(L"program\\log-error.txt") : "";
  }
  std::wstring Listed() {
    EXPECT_EQ(Restore(L"/LIST \"" + dir.Path() + L"list.txt\""), 0u) << Errors();
    const std::string bytes = dir.ReadFile(L"list.txt");
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
  }

  TempFolder dir;
  std::wstring program;
};

TEST_F(RestoreProgramTest, BothKindsOfBackupAreListedAndGiveTheTreeBackExactly) {
  Backup(L"2026-01-05 09:05:00", false);
  Backup(L"2026-01-05 10:00:00", true);
  const std::wstring dest = dir.Path() + L"dest\\2601\\05\\";
  EXPECT_EQ(Listed(),
            L"\xFEFF"
            L"260105_1000\tLZH\t" +
                dest + L"260105_1000.lzh\t6\t90028\r\n" + L"260105_0905\tCOPY\t" + dest +
                L"0905\\\t6\t90028\r\n");

  const Tree source = Snapshot(dir.Path() + L"src\\Work\\");
  for (const wchar_t* id : {L"260105_0905", L"260105_1000"}) {
    SCOPED_TRACE(id);
    const std::wstring out = dir.Path() + L"out\\" + id + L"\\";
    ASSERT_EQ(Restore(L"/RESTORE " + std::wstring(id) + L" Work /TO \"" + out + L"\""), 0u)
        << Errors();
    EXPECT_TRUE(SameTree(Snapshot(out + L"Work\\"), source));
    for (const std::wstring& file :
         {kDeep, std::wstring(L"read-only.txt"), std::wstring(kBeyondShiftJis)})
      EXPECT_EQ(Modified(out + L"Work\\" + file), Modified(dir.Path() + L"src\\Work\\" + file))
          << win::FromWide(file);
  }
  // One file of a folder, and the log says what happened to the user's files.
  ASSERT_EQ(Restore(L"/restore 260105_1000 Work\\sub\\b.bin /to \"" + dir.Path() + L"one\""), 0u);
  EXPECT_EQ(dir.ReadFile(L"one\\b.bin"), std::string(70000, '\x5C') + "tail");
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  wchar_t month[32];
  swprintf(month, 32, L"program\\log\\%02u%02u.log", now.wYear % 100, now.wMonth);
  const std::string log = dir.ReadFile(month);
  EXPECT_NE(log.find(" 260105_1000 Work\\sub\\b.bin → " + dir.PathA() +
                     "one\\ 復元 1 件、スキップ 0 "
                     "件、失敗 0 件\r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("RESTORE="), std::string::npos);
}

TEST_F(RestoreProgramTest, AnExistingFileIsKeptBesideSkippedOrOverwrittenNeverSilentlyLost) {
  Backup(L"2026-01-05 09:05:00", false);
  const std::wstring work = dir.Path() + L"src\\Work\\";
  dir.WriteFile(L"src\\Work\\\u30BD\u8868.txt", "edited since");
  // Without the final backslash, which would escape the closing quote.
  const std::wstring args = L"/RESTORE 260105_0905 Work\\\u30BD\u8868.txt /TO \"" +
                            work.substr(0, work.size() - 1) + L"\"";
  ASSERT_EQ(Restore(args), 0u) << Errors();
  ASSERT_EQ(Restore(args), 0u);
  EXPECT_EQ(dir.ReadFile(L"src\\Work\\\u30BD\u8868.txt"), "edited since");
  EXPECT_EQ(dir.ReadFile(L"src\\Work\\\u30BD\u8868 (260105_0905).txt"), "so-hyo");
  EXPECT_EQ(dir.ReadFile(L"src\\Work\\\u30BD\u8868 (260105_0905 2).txt"), "so-hyo");
  ASSERT_EQ(Restore(args + L" /SKIP"), 0u);
  EXPECT_FALSE(dir.Exists(L"src\\Work\\\u30BD\u8868 (260105_0905 3).txt"));
  EXPECT_EQ(dir.ReadFile(L"src\\Work\\\u30BD\u8868.txt"), "edited since");

  // A file held open cannot be replaced: named, and left whole as it was.
  {
    const win::UniqueFile held = HoldOpen(work + L"\u30BD\u8868.txt", FILE_SHARE_READ);
    EXPECT_EQ(Restore(args + L" /OVERWRITE"), 2u);
  }
  EXPECT_NE(Errors().find("YorudexRestore /RESTORE: " + dir.PathA() +
                          "src\\Work\\\x83\x5C\x95\x5C.txt: "
                          "エラー "),
            std::string::npos)
      << Errors();
  EXPECT_EQ(dir.ReadFile(L"src\\Work\\\u30BD\u8868.txt"), "edited since");
  EXPECT_EQ(Snapshot(work).size(),
            Snapshot(dir.Path() + L"dest\\2601\\05\\0905\\Work\\").size() + 2)
      << "no unfinished copy stays beside it";
  ASSERT_EQ(Restore(args + L" /OVERWRITE"), 0u);
  EXPECT_EQ(dir.ReadFile(L"src\\Work\\\u30BD\u8868.txt"), "so-hyo");
}

TEST_F(RestoreProgramTest, BadInputIsNamedInTheErrorFileAndRestoresNothing) {
  Backup(L"2026-01-05 09:05:00", false);
  const struct {
    std::wstring args;
    DWORD status;
    const char* reason;
  } cases[] = {
      {L"/LIST", 1, "YorudexRestore /LIST: 使い方"},
      {L"/RESTORE 260105_0905 Work", 1, "使い方"},
      {L"/RESTORE 260105_0905 Work /TO x /SKIP /OVERWRITE", 1,
       "/OVERWRITE と /SKIP は一緒に使えません"},
      {L"/RESTORE 991231_2359 Work /TO \"" + dir.Path() + L"x\"", 2,
       "バックアップ 991231_2359 がありません"},
      {L"/RESTORE 260105_0905 Mail /TO \"" + dir.Path() + L"x\"", 2,
       "Mail はバックアップ 260105_0905 にありません"},
      {L"/LIST \"" + dir.Path() + L"l.txt\" /FROM \"" + dir.Path() + L"none\"", 2,
       "none\\ がありません"},
      {L"/LIST \"" + dir.Path() + L"l.txt\" /FROM \"" + dir.Path() + L"src\"", 2,
       "にはバックアップがありません"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(win::FromWide(c.args));
    ASSERT_TRUE(!dir.Exists(L"program\\log-error.txt") ||
                ::DeleteFileW((program + L"log-error.txt").c_str()));
    EXPECT_EQ(Restore(c.args), c.status);
    EXPECT_NE(Errors().find(c.reason), std::string::npos) << Errors();
  }
  EXPECT_FALSE(dir.Exists(L"x"));
  EXPECT_FALSE(dir.Exists(L"l.txt"));

  // A backup being written is not offered; another destination is.
  {
    const win::WritingMark writing(dir.Path() + L"dest\\2601\\05\\0905");
    EXPECT_EQ(Listed(), L"\xFEFF");
  }
  dir.WriteFile(L"other\\2601\\06\\260106_0700.lzh.4242-1.tmp", "unfinished");
  EXPECT_EQ(Restore(L"/LIST \"" + dir.Path() + L"o.txt\" /FROM \"" + dir.Path() + L"other\""), 0u);
  EXPECT_EQ(dir.ReadFile(L"o.txt"), "\xFF\xFE");
}

TEST_F(RestoreProgramTest, VerifyNamesEveryFileThatDiffersFromTheCatalogInBothModes) {
  Backup(L"2026-01-05 09:05:00", false);
  Backup(L"2026-01-05 10:00:00", true);
  EXPECT_EQ(Restore(L"/VERIFY /ALL"), 0u) << Errors();

  const std::wstring work = L"dest\\2601\\05\\0905\\Work\\";
  std::string bin = dir.ReadFile(work + L"sub\\b.bin");
  bin[40000] ^= 1;
  dir.WriteFile(work + L"sub\\b.bin", bin);
  dir.WriteFile(work + L"hidden.txt", "unse");
  ASSERT_TRUE(
      ::SetFileAttributesW((dir.Path() + work + L"read-only.txt").c_str(), FILE_ATTRIBUTE_NORMAL));
  ASSERT_TRUE(::DeleteFileW((dir.Path() + work + L"read-only.txt").c_str()));
  dir.WriteFile(work + L"extra.txt", "x");
  // The archive: a byte near its end flipped, and a catalog that lacks one
  // entry and names another the archive lacks.
  const std::wstring lzh = dir.Path() + L"dest\\2601\\05\\260105_1000.lzh";
  backup::ReadCatalog archived = backup::ReadCatalogFile(backup::CatalogFileOf(lzh));
  ASSERT_EQ(archived.state, backup::CatalogState::kRead);
  std::erase_if(archived.catalog.entries,
                [](const catalog::Entry& e) { return e.path == u"Work\\hidden.txt"; });
  archived.catalog.entries.push_back({u"Work\\gone.txt", false, false, 0x20, 1, 1, 1, 0, {}});
  ASSERT_TRUE(backup::WriteCatalogFile(backup::CatalogFileOf(lzh), archived.catalog));
  size_t at = 0;
  {
    lha::win::OpenedArchive opened;
    DWORD error = 0;
    ASSERT_EQ(lha::win::OpenArchive(lzh, opened, error), 0);
    for (const lha::ArchiveEntry& e : opened.entries)
      if (lha::win::EntryWidePath(e.header) == L"Work\\sub\\b.bin")
        at = e.offset + e.header_size + e.data_size / 2;
  }
  ASSERT_NE(at, 0u);
  std::string archive = dir.ReadFile(L"dest\\2601\\05\\260105_1000.lzh");
  archive[at] ^= 0x40;
  dir.WriteFile(L"dest\\2601\\05\\260105_1000.lzh", archive);
  EXPECT_EQ(Restore(L"/VERIFY 260105_0905 260105_1000"), 2u);
  const std::string errors = Errors();
  for (const char* line : {"260105_0905: Work\\sub\\b.bin: 内容が違います",
                           "260105_0905: Work\\hidden.txt: 内容が違います",
                           "260105_0905: Work\\read-only.txt: ありません",
                           "260105_0905: Work\\extra.txt: 目録にありません"})
    EXPECT_NE(errors.find(line), std::string::npos) << line << "\n" << errors;
  for (const char* line : {"260105_1000: Work\\hidden.txt: 目録にありません",
                           "260105_1000: Work\\gone.txt: ありません"})
    EXPECT_NE(errors.find(line), std::string::npos) << line << "\n" << errors;
  EXPECT_TRUE(errors.find("260105_1000: Work\\sub\\b.bin: 読めません") != std::string::npos ||
              errors.find("260105_1000: Work\\sub\\b.bin: 内容が違います") != std::string::npos)
      << errors;
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  wchar_t month[32];
  swprintf(month, 32, L"program\\log\\%02u%02u.log", now.wYear % 100, now.wMonth);
  const std::string log = dir.ReadFile(month);
  EXPECT_NE(log.find(" 260105_0905 一致 11 件、変更 2 件、欠落 1 件、余分 1 件、読めない 0 件\r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find(" 260105_1000 一致 "), std::string::npos) << log;

  // A restore of the rotten file writes what the backup has and says it is
  // not what was backed up.
  EXPECT_EQ(Restore(L"/RESTORE 260105_0905 Work\\hidden.txt /TO \"" + dir.Path() + L"rot\""), 2u);
  EXPECT_EQ(dir.ReadFile(L"rot\\hidden.txt"), "unse");
  EXPECT_NE(Errors().find("hidden.txt: 内容がバックアップしたときと違います"), std::string::npos)
      << Errors();

  for (const wchar_t* bad : {L"/VERIFY", L"/VERIFY /ALL 260105_0905", L"/ALL"})
    EXPECT_EQ(Restore(bad), 1u) << win::FromWide(bad);
  EXPECT_EQ(Restore(L"/VERIFY 991231_2359"), 2u);
}

}  // namespace
}  // namespace yx::test
