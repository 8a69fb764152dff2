// The real YorudexSchedule.exe under Wine, registering with Wine's Task
// Scheduler, which keeps each task as a file in C:\windows\system32\tasks
// (without the calendar triggers and the command, which Wine drops: the XML
// itself is checked by check_export.py).
#include <gtest/gtest.h>

#include <set>

#include "schedule/task_xml.h"
#include "support/program_run.h"
#include "support/temp_folder.h"
#include "win/unique_handle.h"

namespace yx::test {
namespace {

constexpr wchar_t kTasks[] = L"C:\\windows\\system32\\tasks\\";

std::set<std::wstring> TaskFiles() {
  std::set<std::wstring> names;
  WIN32_FIND_DATAW entry;
  win::UniqueFind find(::FindFirstFileW((std::wstring(kTasks) + L"*").c_str(), &entry));
  if (!find) return names;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(entry.cFileName);
  } while (::FindNextFileW(find.get(), &entry));
  return names;
}

class CompanionTest : public ::testing::Test {
 protected:
  void SetUp() override { Install(program); }
  void TearDown() override {
    for (const std::wstring& folder : installed) (void)Run(folder, L"/REMOVE");
  }

  void Install(const std::wstring& folder) {
    ASSERT_TRUE(::CopyFileW(BuildPath(L"dist\\YorudexSchedule.exe").c_str(),
                            (folder + L"YorudexSchedule.exe").c_str(), FALSE));
    (void)InstallProgram(folder);
    installed.push_back(folder);
  }
  static DWORD Run(const std::wstring& folder, const std::wstring& args) {
    const ProgramResult r = RunProgram(folder + L"YorudexSchedule.exe", args);
    EXPECT_TRUE(r.finished && !r.showed_dialog) << "a command-line run must end without a window";
    return r.exit_code;
  }
  static std::wstring TaskFile(const std::wstring& folder) {
    const std::u16string name = schedule::TaskName(
        std::u16string(reinterpret_cast<const char16_t*>(folder.data()), folder.size()));
    return kTasks + std::wstring(name.begin(), name.end());
  }
  void WriteIni(const std::string& lines) {
    dir.WriteFile(L"program\\Yorudex.INI", "[Backup]\r\n" + lines);
  }
  std::string ErrorLog() {
    return dir.Exists(L"program\\log-error.txt") ? dir.ReadFile(L"program\\log-error.txt") : "";
  }

  TempFolder dir;
  std::wstring program = dir.MakeFolder(L"program");
  std::vector<std::wstring> installed;
};

TEST_F(CompanionTest, RegisterCreatesTheTaskAndASecondRegisterReplacesIt) {
  WriteIni("TIME00=1200\r\nTIME01=1830\r\nWEEK_SAT=0\r\nWEEK_SUN=0\r\n");
  const std::set<std::wstring> before = TaskFiles();
  ASSERT_EQ(Run(program, L"/REGISTER"), 0u) << ErrorLog();
  const std::set<std::wstring> after = TaskFiles();
  ASSERT_EQ(after.size(), before.size() + 1);
  const std::string stored = ReadWholeFile(TaskFile(program));
  EXPECT_NE(stored.find("<StartWhenAvailable>true</"), std::string::npos) << stored;
  EXPECT_NE(stored.find("<MultipleInstancesPolicy>IgnoreNew</"), std::string::npos);

  WriteIni("GO_RND=0\r\nTIME_SH=9\r\nTIME_SS=3\r\n");
  ASSERT_EQ(Run(program, L"/register"), 0u) << ErrorLog();
  EXPECT_EQ(TaskFiles(), after) << "a second registration adds a task";
  EXPECT_FALSE(dir.Exists(L"program\\log-error.txt"));

  // Another copy of the program has a task of its own.
  const std::wstring second = dir.MakeFolder(L"second");
  Install(second);
  dir.WriteFile(L"second\\Yorudex.INI", "[Backup]\r\nTIME00=0700\r\n");
  ASSERT_EQ(Run(second, L"/REGISTER"), 0u);
  EXPECT_EQ(TaskFiles().size(), after.size() + 1);
}

TEST_F(CompanionTest, RemoveTakesTheTaskAwayAndIsContentWhenNoneIsLeft) {
  WriteIni("TIME00=1200\r\n");
  ASSERT_EQ(Run(program, L"/REGISTER"), 0u);
  ASSERT_NE(::GetFileAttributesW(TaskFile(program).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Run(program, L"/REMOVE"), 0u);
  EXPECT_EQ(::GetFileAttributesW(TaskFile(program).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Run(program, L"/REMOVE"), 0u);
  // Without settings a task can still be removed.
  ASSERT_EQ(Run(program, L"/REGISTER"), 0u);
  ASSERT_TRUE(::DeleteFileW((program + L"Yorudex.INI").c_str()));
  EXPECT_EQ(Run(program, L"/REMOVE"), 0u);
  EXPECT_EQ(::GetFileAttributesW(TaskFile(program).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(CompanionTest, SettingsThatCannotBeRegisteredLeaveTheTaskAsItWas) {
  WriteIni("TIME00=1200\r\n");
  ASSERT_EQ(Run(program, L"/REGISTER"), 0u);
  const std::string stored = ReadWholeFile(TaskFile(program));
  const struct {
    const char* ini;
    const char* reason;
  } cases[] = {
      {"TIME00=1200\r\nTIME05=2400\r\n",
       "YorudexSchedule /REGISTER: [2400]時間の設定に誤りがあります。"},
      {"WEEK_MON=0\r\nWEEK_TUE=0\r\nWEEK_WED=0\r\nWEEK_THU=0\r\nWEEK_FRI=0\r\nWEEK_SAT=0\r\n"
       "WEEK_SUN=0\r\n",
       "起動日が 1 日も選ばれていません"},
      {"TIME00=\r\n", "指定時間が 1 つもありません"},
      {nullptr, "Yorudex.INI がありません"},
  };
  for (const auto& c : cases) {
    if (c.ini)
      WriteIni(c.ini);
    else
      ASSERT_TRUE(::DeleteFileW((program + L"Yorudex.INI").c_str()));
    ::DeleteFileW((program + L"log-error.txt").c_str());
    EXPECT_EQ(Run(program, L"/REGISTER"), 1u) << c.reason;
    EXPECT_NE(ErrorLog().find(c.reason), std::string::npos) << ErrorLog();
    EXPECT_EQ(ReadWholeFile(TaskFile(program)), stored) << c.reason;
  }
  // A settings file that cannot be opened (here a folder in its place).
  ASSERT_TRUE(::CreateDirectoryW((program + L"Yorudex.INI").c_str(), nullptr));
  EXPECT_EQ(Run(program, L"/REGISTER"), 1u);
  EXPECT_NE(ErrorLog().find("Yorudex.INI を読めません (0x"), std::string::npos) << ErrorLog();
  EXPECT_EQ(ReadWholeFile(TaskFile(program)), stored);
  ::RemoveDirectoryW((program + L"Yorudex.INI").c_str());
  EXPECT_EQ(Run(program, L"/WHATEVER"), 4u);
}

TEST_F(CompanionTest, ARefusalOfTheTaskSchedulerNamesItsErrorAndAFolderOutsideShiftJisIsRefused) {
  WriteIni("TIME00=1200\r\n");
  // A folder where Wine's Task Scheduler would write the task makes it refuse.
  ASSERT_TRUE(::CreateDirectoryW(TaskFile(program).c_str(), nullptr));
  EXPECT_EQ(Run(program, L"/REGISTER"), 2u);
  ::RemoveDirectoryW(TaskFile(program).c_str());
  EXPECT_NE(ErrorLog().find("を登録できません。登録済みのタスクがあれば、そのままです (0x"),
            std::string::npos)
      << ErrorLog();

  const std::wstring accented = dir.MakeFolder(L"caf\u00e9");  // é: no Shift-JIS form
  Install(accented);
  dir.WriteFile(L"caf\u00e9\\Yorudex.INI", "[Backup]\r\nTIME00=1200\r\n");
  EXPECT_EQ(Run(accented, L"/REGISTER"), 1u);
  EXPECT_NE(ReadWholeFile(accented + L"log-error.txt").find("Shift-JIS にない文字"),
            std::string::npos);
  EXPECT_EQ(::GetFileAttributesW(TaskFile(accented).c_str()), INVALID_FILE_ATTRIBUTES);
}

// The window's controls, found by their text: a part of it, or all of it.
HWND ChildWithText(HWND parent, const std::wstring& part, bool whole = false) {
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t text[512] = {};
    ::GetWindowTextW(child, text, 512);
    if (whole ? part == text : std::wstring(text).find(part) != std::wstring::npos) return child;
  }
  return nullptr;
}

TEST_F(CompanionTest, TheWindowShowsBothSidesAndRegistersWithItsButton) {
  WriteIni("TIME00=1830\r\nTIME01=1200\r\nWEEK_SAT=0\r\nWEEK_SUN=0\r\n");
  const std::wstring exe = program + L"YorudexSchedule.exe";
  const PROCESS_INFORMATION info = StartProgram(exe, L"\"" + exe + L"\"", program);
  win::UniqueKernelHandle process(info.hProcess), thread(info.hThread);
  ::WaitForInputIdle(process.get(), 30000);
  HWND window = nullptr;
  for (const ULONGLONG deadline = ::GetTickCount64() + 30000;
       !window && ::GetTickCount64() < deadline;) {
    window = ::FindWindowW(L"YorudexSchedule", nullptr);
    if (!window) (void)::WaitForSingleObject(process.get(), 20);
  }
  ASSERT_NE(window, nullptr);
  EXPECT_NE(ChildWithText(window,
                          L"月・火・水・木・金の 12:00 と 18:30 に Yorudex.exe /AUTO を起動します"),
            nullptr);
  EXPECT_NE(ChildWithText(window, L"登録されていません。"), nullptr);
  DWORD_PTR ignored = 0;
  ASSERT_TRUE(::SendMessageTimeoutW(ChildWithText(window, L"登録", true), BM_CLICK, 0, 0,
                                    SMTO_NORMAL, 30000, &ignored));
  EXPECT_NE(::GetFileAttributesW(TaskFile(program).c_str()), INVALID_FILE_ATTRIBUTES);
  // Wine's Task Scheduler keeps no triggers to read back; the window says so.
  EXPECT_NE(ChildWithText(window, L"登録されていますが"), nullptr);
  // Nor does it report the last run: said so, never shown as a run in 1899.
  EXPECT_NE(ChildWithText(window, L"前回の実行: タスク スケジューラが報告しません"), nullptr);
  EXPECT_TRUE(::IsWindowEnabled(ChildWithText(window, L"解除", true)));
  ASSERT_TRUE(::SendMessageTimeoutW(ChildWithText(window, L"閉じる", true), BM_CLICK, 0, 0,
                                    SMTO_NORMAL, 30000, &ignored));
  EXPECT_EQ(::WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0);
}

}  // namespace
}  // namespace yx::test
