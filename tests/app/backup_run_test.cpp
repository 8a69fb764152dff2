#include <gtest/gtest.h>

#include "support/form_fixture.h"
#include "win/fault_line.h"
#include "win/pause_point.h"
#include "win/unique_handle.h"

namespace yx::test {
namespace {

constexpr char kDone[] = "\tバックアップ正常終了\r\n";
// A copy run with nothing to copy: its cost, then its outcome.
constexpr char kNothingCopied[] =
    "\t0 件をリンク、0 件 (0 B) をコピーしました\r\n\tバックアップ正常終了\r\n";

class BackupRunTest : public FormTest {
 protected:
  const DateTime when = EncodeDateTime(2001, 5, 23, 9, 5);

  void SetUp() override { SetNow(when); }

  // Starts unattended with a destination and the given source rows.
  void StartWith(const std::vector<std::string>& sources,
                 std::vector<std::string> args = {"/AUTO"}) {
    Start(std::move(args));
    dir.MakeFolder(L"dest");
    dest = dir.PathA() + "dest";
    form_->EditTo.SetText(dest);
    for (size_t row = 0; row < sources.size(); ++row)
      form_->EditFrom.SetCell(static_cast<int>(row), sources[row]);
  }
  std::string Run() {
    Exec();
    return form_->RunLog().Text();
  }
  std::string SourceTree(const std::wstring& name) {
    dir.WriteFile(L"src\\" + name + L"\\a.txt", "alpha");
    dir.WriteFile(L"src\\" + name + L"\\sub\\b.txt", std::string(3000, 'b'));
    return win::FromWide(dir.Path() + L"src\\" + name);
  }
  std::string Log(std::string_view lines) {
    return "START=01/05/23 09:05:00\r\n" + std::string(lines) + "\t処理時間=00:00:00\r\n" +
           "END=01/05/23 09:05:00\r\n";
  }
  std::string dest;
};

TEST_F(BackupRunTest, WithoutSourcesTheTargetFolderIsMadeAndLeftEmpty) {
  StartWith({});
  EXPECT_EQ(Run(), Log(kNothingCopied));
  EXPECT_TRUE(dir.Exists(L"dest\\0105\\23\\0905\\"));
  EXPECT_EQ(dir.ReadFile(L"log\\0105.log"), form_->RunLog().Text());
  EXPECT_NE(Ini().find("TO=" + dest + "\r\n"), std::string::npos) << "the run saves the settings";
}

TEST_F(BackupRunTest, ADestinationInsideASourceIsRefusedBeforeTheSweep) {
  dir.WriteFile(L"Data\\a.txt", "a");
  dir.WriteFile(L"Data\\Backup\\0003\\01\\1200\\old.txt", "old");
  Start({"/AUTO"});
  form_->ChkKill.SetChecked(true);
  form_->EditTo.SetText(dir.PathA() + "Data\\Backup");
  form_->EditFrom.SetCell(0, dir.PathA() + "Data");
  EXPECT_EQ(Run(), "START=01/05/23 09:05:00\r\n\tPATH=" + dir.PathA() +
                       "Dataバックアップ先がこのバックアップ元のフォルダの中にあります\r\n"
                       "\t異常終了しました。\r\nEND=01/05/23 09:05:00\r\n");
  EXPECT_EQ(dir.ReadFile(L"Data\\Backup\\0003\\01\\1200\\old.txt"), "old");
  EXPECT_FALSE(dir.Exists(L"Data\\Backup\\0105"));
  EXPECT_EQ(session_->ExitStatus(), run::RunSession::kRunFailed);
}

TEST_F(BackupRunTest, ArchiveModeWithoutTheLibraryIsRefusedBeforeAnythingIsDone) {
  StartWith({SourceTree(L"Work")});
  form_->ChkLha.SetChecked(true);
  ASSERT_FALSE(form_->ArchiverPresent);
  EXPECT_EQ(
      Run(),
      "START=01/05/23 09:05:00\r\n\tUnlha32.dll が見つかりません。\r\n\t異常終了しました。\r\n"
      "END=01/05/23 09:05:00\r\n");
  EXPECT_FALSE(IniExists()) << "no settings are saved";
  EXPECT_FALSE(dir.Exists(L"dest\\0105"));
  EXPECT_TRUE(dir.Exists(L"log\\0105.log"));
}

TEST_F(BackupRunTest, AFailingCheckIsLoggedWhenUnattended) {
  StartWith({dir.PathA() + "missing"});
  EXPECT_EQ(Run(), "START=01/05/23 09:05:00\r\n\tPATH=" + dir.PathA() +
                       "missingバックアップ元のフォルダが存在しません\r\n\t異常終了しました。\r\n"
                       "END=01/05/23 09:05:00\r\n");
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_TRUE(form_->Page.Enabled());
}

TEST_F(BackupRunTest, TheConflictWarningAndTheSweepLinesComeBeforeTheOutcome) {
  StartWith({});
  form_->ChkDel.SetChecked(true);
  form_->ChkKill.SetChecked(true);
  form_->SpinKill.SetValue(10);
  dir.MakeFolder(L"dest\\0104\\01");
  dir.MakeFolder(L"dest\\0105\\10");
  dir.MakeFolder(L"dest\\0105\\20");
  EXPECT_EQ(Run(), Log("\t警告：「削除対象」が有効にならないような「強制削除」設定になってます\r\n"
                       "\t" +
                       dest +
                       "\\0104 を削除しました\r\n"
                       "\t" +
                       dest + "\\0105\\10 を削除しました\r\n" + kNothingCopied));
  EXPECT_TRUE(dir.Exists(L"dest\\0105\\20\\"));
}

TEST_F(BackupRunTest, TheRunUsesTheMonthOfItsStartForTheLogFile) {
  StartWith({});
  SetNow(EncodeDateTime(2001, 6, 1, 0, 0, 30));
  Run();
  EXPECT_TRUE(dir.Exists(L"log\\0106.log"));
  EXPECT_FALSE(dir.Exists(L"log\\0105.log"));
}

TEST_F(BackupRunTest, AnAbortWhileCountingStopsTheRunBeforeAnyCopy) {
  StartWith({SourceTree(L"Work")});
  // The user presses 中断 as the count begins: the window takes the click
  // while the run waits there, and the run stops at its next entry.
  win::SetPausePointForTesting([this](std::string_view name) {
    if (name == "count") ::SendMessageW(progress_->BtnAbort(), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(Run(), Log("\tバックアップを中断しました\r\n"));
  win::SetPausePointForTesting({});
  EXPECT_TRUE(dir.Exists(L"dest\\0105\\23\\0905\\")) << "the target folder stays";
  EXPECT_FALSE(dir.Exists(L"dest\\0105\\23\\0905\\Work"));
}

TEST_F(BackupRunTest, TheProgressWindowShowsWhatTheRunHasDoneWhileTheRunGoesOn) {
  for (int i = 0; i < 8; ++i) dir.WriteFile(L"src\\Work\\f" + std::to_wstring(i) + L".txt", "x");
  StartWith({dir.PathA() + "src\\Work"});
  // The run holds before its fifth file, the first four counted as copied,
  // until the window has shown them: it never waits for the window itself.
  const win::UniqueKernelHandle shown(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  int files = 0;
  bool held = false;
  win::SetPausePointForTesting([&](std::string_view name) {
    if (name == "copy-file" && ++files == 5)
      held = ::WaitForSingleObject(shown.get(), 60'000) == WAIT_OBJECT_0;
  });
  form_->BtnExecClick();
  PumpUntil(*app_, [this] { return progress_->Gauge().Progress() == 4; });
  EXPECT_TRUE(::IsWindowVisible(progress_->Handle()));
  EXPECT_EQ(progress_->LblFileAll().Caption(), "8");
  EXPECT_EQ(progress_->Gauge().MaxValue(), 8);
  EXPECT_EQ(app_->Title(), "Yorudex 50%");
  ::SetEvent(shown.get());
  Pump();
  win::SetPausePointForTesting({});
  EXPECT_TRUE(held);
  EXPECT_EQ(progress_->Gauge().Progress(), 8);
  EXPECT_FALSE(::IsWindowVisible(progress_->Handle()));
}

TEST_F(BackupRunTest, NoSecondRunSaveOrExitStartsInsideARun) {
  StartWith({SourceTree(L"Work")}, {});
  // Clicks the window takes while the run goes on its own thread: each is
  // refused there, before the run's end comes back to the window.
  form_->BtnExecClick();
  ASSERT_TRUE(form_->Busy());
  ::PostMessageW(form_->BtnExec.Handle(), BM_CLICK, 0, 0);
  ::PostMessageW(form_->BtnExit.Handle(), BM_CLICK, 0, 0);
  ::PostMessageW(form_->BtnSet.Handle(), BM_CLICK, 0, 0);
  Pump();
  const std::string log = form_->RunLog().Text();
  EXPECT_EQ(log.find("START="), log.rfind("START=")) << log;
  EXPECT_TRUE(FormOpen());
  EXPECT_TRUE(form_->BtnExec.Enabled());
  EXPECT_EQ(app_->Title(), "Yorudex") << "a run from the button leaves the title alone";
}

TEST_F(BackupRunTest, AMonthLogThatCouldNotBeReadAtStartIsNotErased) {
  const std::wstring log = dir.WriteFile(L"log\\0105.log", "earlier\r\n");
  {
    win::UniqueFile writer(::CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    StartWith({});
  }
  Run();
  const std::string saved = dir.ReadFile(L"log\\0105.log");
  EXPECT_EQ(saved.rfind("earlier\r\n\tファイル ", 0), 0u) << saved;
  EXPECT_NE(saved.find(kDone), std::string::npos);
}

TEST_F(BackupRunTest, ASettingsFileLockedWhenTheRunSavesItStopsTheRunWithALine) {
  WriteIni("[Backup]\r\nTIME00=1200\r\n");
  StartWith({SourceTree(L"Work")});
  const std::string before = Ini();
  {
    win::UniqueFile lock(::CreateFileW((dir.Path() + L"Yorudex.INI").c_str(), GENERIC_READ, 0,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    EXPECT_EQ(Run(),
              "START=01/05/23 09:05:00\r\n\t" + dir.PathA() +
                  "Yorudex.INI に書き込めません: " + win::ErrorReason(ERROR_SHARING_VIOLATION) +
                  "\r\n\t異常終了しました。\r\n"
                  "END=01/05/23 09:05:00\r\n");
  }
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(Ini(), before);
  EXPECT_FALSE(dir.Exists(L"dest\\0105"));
}

}  // namespace
}  // namespace yx::test
