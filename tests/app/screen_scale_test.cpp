#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reliability/pause_at.h"
#include "support/layout_check.h"
#include "support/program_run.h"
#include "support/temp_folder.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace yx::test {
namespace {

// Wine takes a process's DPI from LogPixels as it starts: the programs are
// started anew at each scale, with the value put back afterwards.
class ScreenScale {
 public:
  explicit ScreenScale(DWORD dpi) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi,
                      sizeof dpi);
  }
  ~ScreenScale() {
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels");
  }
  ScreenScale(const ScreenScale&) = delete;
  ScreenScale& operator=(const ScreenScale&) = delete;
};

struct Found {
  DWORD pid;
  const wchar_t* caption;
  HWND window = nullptr;
};

BOOL CALLBACK FindCaption(HWND hwnd, LPARAM lp) {
  auto* found = reinterpret_cast<Found*>(lp);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  wchar_t text[64] = {};
  ::GetWindowTextW(hwnd, text, 64);
  if (pid == found->pid && ::IsWindowVisible(hwnd) && ::lstrcmpW(text, found->caption) == 0)
    found->window = hwnd;
  return found->window == nullptr;
}

class ScreenScaleTest : public ::testing::TestWithParam<DWORD> {
 protected:
  // Starts `exe` at the test's scale; checks its window called `caption`,
  // whose client area is `width` x `height` design units; closes it, or ends
  // the program when it is held at a pause point.
  void CheckProgram(const std::wstring& exe, const wchar_t* caption, int width, int height,
                    const wchar_t* argument = nullptr, const PauseAt* held = nullptr) {
    const ScreenScale scale(GetParam());
    std::wstring command = L"\"" + exe + L"\"";
    if (argument) command += std::wstring(L" ") + argument;
    const PROCESS_INFORMATION info =
        StartProgram(exe, command, exe.substr(0, exe.find_last_of(L'\\') + 1));
    win::UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    if (held) {
      ASSERT_TRUE(held->Reached(60000));
    } else {
      // Idle for input once its window is up and its messages are taken.
      ASSERT_EQ(::WaitForInputIdle(process.get(), 60000), 0u);
    }
    Found found{info.dwProcessId, caption};
    ::EnumWindows(&FindCaption, reinterpret_cast<LPARAM>(&found));
    ASSERT_TRUE(found.window) << win::FromWide(caption);
    RECT client;
    ::GetClientRect(found.window, &client);
    EXPECT_EQ(client.right, ::MulDiv(width, static_cast<int>(GetParam()), 96));
    EXPECT_EQ(client.bottom, ::MulDiv(height, static_cast<int>(GetParam()), 96));
    for (const std::string& fault : LayoutFaults(found.window)) ADD_FAILURE() << fault;
    if (held) {
      ::TerminateProcess(process.get(), 9);
    } else {
      ::PostMessageW(found.window, WM_CLOSE, 0, 0);
    }
    EXPECT_EQ(::WaitForSingleObject(process.get(), 60000), WAIT_OBJECT_0);
  }
  TempFolder dir;
};

TEST_P(ScreenScaleTest, TheSettingsWindowScalesWithNothingOutsideOrOnAnother) {
  dir.WriteFile(L"Yorudex.INI", "[Backup]\r\n");
  CheckProgram(InstallProgram(dir.Path()), L"起動日時設定", 411, 319);
}

TEST_P(ScreenScaleTest, TheCompanionsScaleWithNothingOutsideOrOnAnother) {
  dir.WriteFile(L"Yorudex.INI", "[Backup]\r\n");
  for (const wchar_t* name : {L"YorudexRestore.exe", L"YorudexSchedule.exe"})
    ASSERT_TRUE(::CopyFileW(BuildPath(std::wstring(L"dist\\") + name).c_str(),
                            (dir.Path() + name).c_str(), FALSE));
  CheckProgram(dir.Path() + L"YorudexRestore.exe", L"Yorudex 復元", 760, 544);
  CheckProgram(dir.Path() + L"YorudexSchedule.exe", L"Yorudex 起動スケジュール", 480, 326);
}

// The progress window of an unattended run, held at its first copy.
TEST_P(ScreenScaleTest, TheProgressWindowScalesWithNothingOutsideOrOnAnother) {
  dir.WriteFile(L"src\\a.txt", "a");
  dir.MakeFolder(L"dest");
  dir.WriteFile(L"Yorudex.INI", "[Backup]\r\nTO=" + dir.PathA() + "dest\r\nFROM00=" + dir.PathA() +
                                    "src\r\nLINK_USE=0\r\n");
  const PauseAt held(L"copy-file");
  CheckProgram(InstallTestClockProgram(dir.Path()), L"Backup 処理中", 349, 124, L"/AUTO", &held);
}

INSTANTIATE_TEST_SUITE_P(Dpi, ScreenScaleTest, ::testing::Values(96, 144, 192));

}  // namespace
}  // namespace yx::test
