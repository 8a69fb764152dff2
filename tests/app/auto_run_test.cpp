// The real Yorudex.exe, started the way a scheduler starts it: one run per
// mode and per exit status. What a run does is tested in-process
// (tests/backup/run_test.cpp), the window's part in backup_run_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/byte_size.h"
#include "support/archive_paths.h"
#include "support/program_run.h"
#include "support/temp_folder.h"
#include "win/text.h"

namespace yx::test {
namespace {

class AutoRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program = dir.MakeFolder(L"program");
    dir.WriteFile(L"src\\Work\\a.txt", "alpha");
    dir.WriteFile(L"src\\Work\\sub\\b.txt", std::string(5000, 'b'));
    dir.MakeFolder(L"dest");
  }
  void TearDown() override { ::SetEnvironmentVariableW(L"YX_TEST_NOW", nullptr); }

  void WriteIni(const std::string& extra) {
    dir.WriteFile(L"program\\Yorudex.INI", "[Backup]\r\nTO=" + dir.PathA() + "dest\r\nFROM00=" +
                                               dir.PathA() + "src\\Work\r\n" + extra);
  }
  ProgramResult RunAt(const wchar_t* now, const std::wstring& args = L"/AUTO",
                      bool with_archiver = false) {
    ::SetEnvironmentVariableW(L"YX_TEST_NOW", now);
    const ProgramResult r = RunProgram(InstallTestClockProgram(program, with_archiver), args);
    EXPECT_TRUE(r.finished) << "the program did not end by itself";
    EXPECT_FALSE(r.showed_dialog) << "an unattended run showed a dialog";
    return r;
  }
  std::string Log(const wchar_t* name) {
    return dir.ReadFile(L"program\\log\\" + std::wstring(name));
  }

  TempFolder dir;
  std::wstring program;
};

TEST_F(AutoRunTest, TheShippedProgramBacksUpAndEndsWithStatusZero) {
  WriteIni("");
  // The shipped program reads the real clock: the log is the file of the
  // month the run started in, which the clock read before or after it names.
  auto month = [] {
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    wchar_t name[16];
    swprintf(name, 16, L"%02u%02u.log", st.wYear % 100, st.wMonth);
    return std::wstring(name);
  };
  const std::wstring before = month();
  const ProgramResult r = RunProgram(InstallProgram(program), L"/AUTO");
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exit_code, 0u);
  EXPECT_FALSE(r.showed_dialog);
  const std::wstring started = dir.Exists(L"program\\log\\" + before) ? before : month();
  const std::string log = Log(started.c_str());
  EXPECT_EQ(log.rfind("START=", 0), 0u) << log;
  EXPECT_NE(log.find("\r\n\tバックアップ正常終了\r\n\t処理時間=00:00:0"), std::string::npos) << log;
}

TEST_F(AutoRunTest, ArchiveModePacksEverySourceIntoOneArchiveWithTheShippedLibrary) {
  dir.WriteFile(L"src\\Mail\\m.txt", "mail");
  WriteIni("LHA_USE=1\r\nFROM01=" + dir.PathA() + "src\\Mail\\\r\n");
  const ProgramResult r = RunAt(L"2001-05-23 09:05:00", L"/AUTO", true);
  EXPECT_EQ(r.exit_code, 0u);
  const std::wstring archive = dir.Path() + L"dest\\0105\\23\\010523_0905.lzh";
  const uint64_t size = ReadWholeFile(archive).size();
  EXPECT_EQ(Log(L"0105.log")
                .rfind("START=01/05/23 09:05:00\r\n\t3 件を圧縮しました (アーカイブ " +
                           FormatByteSize(size) + ")\r\n\tバックアップ正常終了\r\n",
                       0),
            0u);
  std::vector<std::string> stored = StoredPaths(archive);
  std::sort(stored.begin(), stored.end());
  EXPECT_EQ(stored, (std::vector<std::string>{"Mail\\", "Mail\\m.txt", "Work\\", "Work\\a.txt",
                                              "Work\\sub\\", "Work\\sub\\b.txt"}));
  EXPECT_FALSE(dir.Exists(L"dest\\0105\\23\\0905")) << "no time folder in archive mode";
}

TEST_F(AutoRunTest, TwoSourcesOfOneFolderNameAreARefusedRunInTheLogAndTheStatusIsTwo) {
  dir.WriteFile(L"other\\WORK\\c.txt", "c");
  WriteIni("FROM01=" + dir.PathA() + "other\\WORK\r\n");
  const ProgramResult r = RunAt(L"2001-05-23 09:05:00");
  // What the Task Scheduler shows as the last result.
  EXPECT_EQ(r.exit_code, 2u);
  EXPECT_EQ(Log(L"0105.log"),
            "START=01/05/23 09:05:00\r\n\tPATH=" + dir.PathA() + "src\\Work、PATH=" + dir.PathA() +
                "other\\WORKバックアップ元のフォルダ名が同じため、バックアップ先で同じフォルダに"
                "なります。どちらかを外すか、その上のフォルダを指定してください\r\n"
                "\t異常終了しました。\r\nEND=01/05/23 09:05:00\r\n");
  EXPECT_FALSE(dir.Exists(L"dest\\0105"));
}

TEST_F(AutoRunTest, AFailedRunStartsRunFailWithItsArgumentsAndNotifies) {
  // A batch file in a folder with a blank and Shift-JIS in its name, written
  // as its user would write it (CP932); it writes its arguments to a file.
  const std::string script = dir.PathA() + "通知 表示\\知らせる.bat";
  dir.WriteFile(L"通知 表示\\知らせる.bat",
                "@echo %1 %2 [%3]> \"" + dir.PathA() + "arguments.txt\"\r\n");
  dir.WriteFile(L"program\\Yorudex.INI",
                "[Backup]\r\nTO=" + dir.PathA() + "nothere\r\nRUN_FAIL=" + script + "\r\n");
  dir.WriteFile(L"program\\log\\0105.log",
                "START=01/05/17 09:00:00\r\n\tバックアップ正常終了\r\nEND=01/05/17 09:00:01\r\n");
  ::SetEnvironmentVariableW(L"YX_TEST_NOTIFY", (dir.Path() + L"notice.txt").c_str());
  const ProgramResult r = RunAt(L"2001-05-23 09:05:00");
  ::SetEnvironmentVariableW(L"YX_TEST_NOTIFY", nullptr);
  EXPECT_EQ(r.exit_code, 2u);
  EXPECT_EQ(dir.ReadFile(L"arguments.txt"),
            "refused \"" + dir.PathA() + "program\\log\\0105.log\" [2]\r\n");
  EXPECT_EQ(dir.ReadFile(L"notice.txt"),
            "バックアップを実行できません\r\nバックアップ先のフォルダが存在しません\r\n"
            "最後の成功は 6 日前です\n");
  EXPECT_TRUE(Log(L"0105.log").ends_with("\t異常終了しました。\r\nEND=01/05/23 09:05:00\r\n"))
      << "the command succeeded: no line of its own";
}

TEST_F(AutoRunTest, AnyOtherCommandLineStartsTheSettingsWindow) {
  WriteIni("");
  const std::wstring caption = win::ToWide("起動日時設定");
  for (const wchar_t* args : {L"/auto", L"/Auto", L"/AUTO x", L"AUTO"}) {
    ::SetEnvironmentVariableW(L"YX_TEST_NOW", L"2001-05-23 09:05:00");
    const ProgramResult r = RunProgram(InstallTestClockProgram(program), args, 60000, caption);
    EXPECT_TRUE(r.showed_window) << "no settings window with " << win::FromWide(args);
  }
  EXPECT_FALSE(dir.Exists(L"program\\log\\0105.log")) << "no run was made";
  EXPECT_FALSE(dir.Exists(L"dest\\0105"));
}

}  // namespace
}  // namespace yx::test
