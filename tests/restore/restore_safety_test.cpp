// The real YorudexRestore.exe against backups altered by hand and targets
// that are not what they seem: links on either side, names Windows cannot
// hold, a user's file where a folder goes, an archive without folder
// entries, a killed restore's leftovers. Whatever is left out is named and
// makes the status 2; nothing is written outside the target.
#include <gtest/gtest.h>

#include <functional>

#include "lha/core/crc16.h"
#include "support/build_paths.h"
#include "support/program_run.h"
#include "support/temp_folder.h"
#include "support/unix_links.h"
#include "win/file_system.h"
#include "win/text.h"

namespace yx::test {
namespace {

constexpr wchar_t kCopy[] = L"dest\\2601\\05\\0905\\Work\\";

// One level-0 stored (-lh0-) entry per name, no folder entries, as other
// archivers may write.
std::string StoredArchive(const std::vector<std::pair<std::string, std::string>>& files) {
  std::string out;
  for (const auto& [name, data] : files) {
    std::string h = "-lh0-";
    for (const uint32_t n : {uint32_t(data.size()), uint32_t(data.size()), 0x5C210000u})
      for (int i = 0; i < 4; ++i) h += static_cast<char>(n >> (8 * i));
    h += '\x20';  // archive attribute
    h += '\0';    // level 0
    h += static_cast<char>(name.size());
    h += name;
    const uint16_t crc =
        lha::ComputeCrc16(reinterpret_cast<const uint8_t*>(data.data()), data.size());
    h += static_cast<char>(crc & 0xFF);
    h += static_cast<char>(crc >> 8);
    uint8_t sum = 0;
    for (const char c : h) sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(c));
    out += static_cast<char>(h.size());
    out += static_cast<char>(sum);
    out += h + data;
  }
  return out + '\0';
}

class RestoreSafetyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program = dir.MakeFolder(L"program");
    ASSERT_TRUE(::CopyFileW(BuildPath(L"dist\\YorudexRestore.exe").c_str(),
                            (program + L"YorudexRestore.exe").c_str(), FALSE));
    dir.WriteFile(std::wstring(kCopy) + L"a.txt", "a");
    dir.WriteFile(std::wstring(kCopy) + L"sub\\b.txt", "b");
    dir.WriteFile(L"outside\\secret.txt", "secret");
    // Shared with an earlier backup, as runs with LINK_USE store it: no link.
    const std::wstring earlier = dir.WriteFile(L"dest\\2601\\04\\0905\\Work\\h.txt", "h");
    ASSERT_TRUE(
        ::CreateHardLinkW((dir.Path() + kCopy + L"h.txt").c_str(), earlier.c_str(), nullptr));
  }
  // The status; the reasons are in Errors().
  DWORD Restore(const std::wstring& args) {
    if (dir.Exists(L"program\\log-error.txt")) {
      EXPECT_TRUE(::DeleteFileW((program + L"log-error.txt").c_str()));
    }
    const ProgramResult r =
        RunProgram(program + L"YorudexRestore.exe", args + L" /FROM \"" + dir.Path() + L"dest\"");
    EXPECT_TRUE(r.finished && !r.showed_dialog);
    return r.exit_code;
  }
  std::string Errors() {
    return dir.Exists(L"program\\log-error.txt") ? dir.ReadFile(L"program\\log-error.txt") : "";
  }
  std::string Log() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    wchar_t month[32];
    swprintf(month, 32, L"program\\log\\%02u%02u.log", now.wYear % 100, now.wMonth);
    return dir.ReadFile(month);
  }
  bool Link(const std::wstring& at, const std::wstring& to) {
    return links.Make(UnixPath(dir.Path() + at), UnixPath(dir.Path() + to), dir.Path() + at);
  }

  TempFolder dir;
  std::wstring program;
  UnixLinks links;
};

TEST_F(RestoreSafetyTest, NoLinkIsWrittenThroughOrFollowed) {
  const struct {
    const char* what;
    std::function<bool()> make;  // the link, made from the Linux side
    const wchar_t* absent;       // what a restore that follows it would write
    const char* named;           // in the reasons
  } cases[] = {
      {"a link on the target's path", [&] { return Link(L"out0\\Work", L"outside"); },
       L"outside\\a.txt", "out0\\Work"},
      {"a folder link in the backup",
       [&] { return Link(std::wstring(kCopy) + L"far", L"outside"); }, L"out1\\Work\\far",
       "Work\\far: バックアップの中のリンク"},
      {"a file link in the backup",
       [&] { return Link(std::wstring(kCopy) + L"s.txt", L"outside\\secret.txt"); },
       L"out2\\Work\\s.txt", "s.txt: バックアップの中のリンク"},
      {"a loop in the backup", [&] { return Link(std::wstring(kCopy) + L"sub\\loop", L"dest"); },
       L"out3\\Work\\sub\\loop", "loop: バックアップの中のリンク"},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    dir.MakeFolder(L"out" + std::to_wstring(n));
    ASSERT_TRUE(c.make());
    EXPECT_EQ(Restore(L"/RESTORE 260105_0905 Work /TO \"" + dir.Path() + L"out" +
                      std::to_wstring(n++) + L"\""),
              2u);
    EXPECT_FALSE(dir.Exists(c.absent));
    EXPECT_NE(Errors().find(c.named), std::string::npos) << Errors();
  }
  EXPECT_EQ(dir.ReadFile(L"out3\\Work\\sub\\b.txt"), "b") << "the rest is restored";
  EXPECT_EQ(dir.ReadFile(L"out3\\Work\\h.txt"), "h");
  EXPECT_NE(Log().find("復元 3 件、スキップ 0 件、失敗 3 件"), std::string::npos) << Log();
}

TEST_F(RestoreSafetyTest, OnlyFoldersTheRestoreMadeTakeTheBackupsTimesAndAttributes) {
  const std::wstring doc = dir.MakeFolder(std::wstring(kCopy) + L"doc");
  dir.WriteFile(std::wstring(kCopy) + L"doc\\x.txt", "x");
  ASSERT_TRUE(::SetFileAttributesW(doc.c_str(), FILE_ATTRIBUTE_HIDDEN));
  const std::wstring users = dir.WriteFile(L"out\\Work\\doc", "the user's file");
  // The backup's time of the folder, which the user's folder must not take.
  const FILETIME backed_up{0x12345678, 0x01D00000};
  {
    win::UniqueFile folder(::CreateFileW((dir.Path() + kCopy).c_str(), FILE_WRITE_ATTRIBUTES,
                                         FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    ASSERT_TRUE(::SetFileTime(folder.get(), nullptr, nullptr, &backed_up));
  }
  EXPECT_EQ(Restore(L"/RESTORE 260105_0905 Work /TO \"" + dir.Path() + L"out\" /SKIP"), 2u);
  EXPECT_NE(Errors().find("Work\\doc がフォルダではない"), std::string::npos) << Errors();
  EXPECT_EQ(win::Attributes(users) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(dir.ReadFile(L"out\\Work\\doc"), "the user's file");
  EXPECT_EQ(dir.ReadFile(L"out\\Work\\sub\\b.txt"), "b");
  WIN32_FILE_ATTRIBUTE_DATA now{};
  ASSERT_TRUE(
      ::GetFileAttributesExW((dir.Path() + L"out\\Work").c_str(), GetFileExInfoStandard, &now));
  EXPECT_NE(now.ftLastWriteTime.dwLowDateTime, backed_up.dwLowDateTime)
      << "a folder that was there is the user's";
}

TEST_F(RestoreSafetyTest, NamesWindowsCannotHoldAreNamedAndFoldersAreMadeAsNeeded) {
  dir.WriteFile(L"dest\\2601\\05\\260105_1000.lzh", StoredArchive({{"Work\\CON", "c"},
                                                                   {"Work\\NUL.txt", "n"},
                                                                   {"Work\\trail.", "t"},
                                                                   {"Work\\a:b.txt", "s"},
                                                                   {"Work\\deep\\ok.txt", "ok"},
                                                                   {"..\\evil.txt", "e"}}));
  // What a killed restore left: removed by the next one into the place.
  dir.WriteFile(L"out\\YorudexRestore.4242.tmp\\1.tmp", "torn");
  EXPECT_EQ(Restore(L"/RESTORE 260105_1000 Work /TO \"" + dir.Path() + L"out\""), 2u);
  EXPECT_EQ(dir.ReadFile(L"out\\Work\\deep\\ok.txt"), "ok");
  for (const char* name :
       {"Work\\CON", "Work\\NUL.txt", "Work\\trail.", "Work\\a:b.txt", "..\\evil.txt"})
    EXPECT_NE(Errors().find(name), std::string::npos) << name << "\n" << Errors();
  EXPECT_NE(Log().find("復元 1 件、スキップ 0 件、失敗 5 件"), std::string::npos) << Log();
  EXPECT_FALSE(dir.Exists(L"evil.txt"));
  EXPECT_FALSE(dir.Exists(L"out\\YorudexRestore.4242.tmp"));
  WIN32_FIND_DATAW found;
  const win::UniqueFind any(::FindFirstFileW((dir.Path() + L"out\\*.tmp").c_str(), &found));
  EXPECT_FALSE(any) << "nothing of the restore's own stays";
}

// A copy and an archive of one minute: each has an id of its own, and the
// old form still names the one it always named.
TEST_F(RestoreSafetyTest, ACopyAndAnArchiveOfOneMinuteAreToldApart) {
  dir.WriteFile(L"dest\\2601\\05\\260105_0905.lzh", StoredArchive({{"Work\\a.txt", "packed"}}));
  ASSERT_EQ(Restore(L"/LIST \"" + dir.Path() + L"list.txt\""), 0u) << Errors();
  const std::string bytes = dir.ReadFile(L"list.txt");
  const std::wstring listed(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
  const std::wstring day = dir.Path() + L"dest\\2601\\05\\";
  // Made by hand, without catalogs: no count of files or bytes.
  EXPECT_NE(listed.find(L"260105_0905\tCOPY\t" + day + L"0905\\\t\t\r\n"), std::wstring::npos);
  EXPECT_NE(listed.find(L"260105_0905.lzh\tLZH\t" + day + L"260105_0905.lzh\t\t\r\n"),
            std::wstring::npos)
      << win::FromWide(listed);
  ASSERT_EQ(Restore(L"/RESTORE 260105_0905.LZH Work\\a.txt /TO \"" + dir.Path() + L"lzh\""), 0u)
      << Errors();
  ASSERT_EQ(Restore(L"/RESTORE 260105_0905 Work\\a.txt /TO \"" + dir.Path() + L"copy\""), 0u);
  EXPECT_EQ(dir.ReadFile(L"lzh\\a.txt"), "packed");
  EXPECT_EQ(dir.ReadFile(L"copy\\a.txt"), "a");
  EXPECT_NE(Log().find(" 260105_0905.lzh Work\\a.txt → "), std::string::npos) << Log();
}

TEST_F(RestoreSafetyTest, ALinkWhereABackupGoesIsNamedAndNeverRead) {
  // Elsewhere, what each link leads to: backups that would restore "far".
  dir.WriteFile(L"far\\month\\06\\0905\\Work\\a.txt", "far");
  dir.WriteFile(L"far\\day\\0905\\Work\\a.txt", "far");
  dir.WriteFile(L"far\\time\\Work\\a.txt", "far");
  dir.WriteFile(L"far\\archive.lzh", StoredArchive({{"Work\\a.txt", "far"}}));
  dir.MakeFolder(L"dest\\2601\\07");
  dir.MakeFolder(L"dest\\2601\\08");
  const struct {
    const wchar_t* id;
    const wchar_t* at;  // the link, below the destination
    const wchar_t* to;
  } cases[] = {
      {L"260206_0905", L"2602", L"far\\month"},
      {L"260106_0905", L"2601\\06", L"far\\day"},
      {L"260107_0905", L"2601\\07\\0905", L"far\\time"},
      {L"260108_0905", L"2601\\08\\260108_0905.lzh", L"far\\archive.lzh"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(win::FromWide(c.at));
    ASSERT_TRUE(Link(L"dest\\" + std::wstring(c.at), c.to));
    const std::string named = win::FromWide(dir.Path() + L"dest\\" + c.at) + ": リンクです";
    ASSERT_EQ(Restore(L"/LIST \"" + dir.Path() + L"list.txt\""), 0u) << Errors();
    EXPECT_NE(Errors().find(named), std::string::npos) << Errors();
    const std::string bytes = dir.ReadFile(L"list.txt");
    const std::wstring listed(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    EXPECT_EQ(listed.find(c.id), std::wstring::npos);
    EXPECT_EQ(Restore(L"/RESTORE " + std::wstring(c.id) + L" Work /TO \"" + dir.Path() + L"out\""),
              2u);
    EXPECT_FALSE(dir.Exists(L"out\\Work\\a.txt"));
    (void)Restore(L"/VERIFY /ALL");  // 2 already: the backup made by hand has no catalog
    EXPECT_NE(Errors().find(named), std::string::npos) << Errors();
  }
}

}  // namespace
}  // namespace yx::test
