// The restore window under Xvfb, driven by the keyboard as a user without a
// mouse drives it: one file of the newest backup back to where it came from.
#include <gtest/gtest.h>

#include "backup/catalog_file.h"
#include "restore/restore_window.h"
#include <commctrl.h>

#include <optional>

#include "support/form_fixture.h"
#include "support/layout_check.h"
#include "support/temp_folder.h"
#include "support/unix_links.h"
#include "win/pause_point.h"

namespace yx::test {
namespace {

class AnswerQuestions final : public restore::RestoreQuestions {
 public:
  std::optional<restore::Existing> AskExisting(HWND, const std::wstring& existing) override {
    ++asked;
    existing_file = existing;
    if (on_ask) on_ask();
    return restore::Existing::kKeepBoth;
  }
  std::optional<std::wstring> PickFolder(HWND, const std::string&) override {
    ++asked;
    return std::nullopt;
  }
  int asked = 0;
  std::wstring existing_file;
  std::function<void()> on_ask;  // while the question is open
};

class RestoreWindowTest : public ::testing::Test {
 protected:
  void Press(WORD key) {
    // Down and up: a push button clicks when its key comes up.
    ::PostMessageW(::GetFocus(), WM_KEYDOWN, key, 1);
    ::PostMessageW(::GetFocus(), WM_KEYUP, key, 0xC0000001);
    Pump(app);
  }

  void Type(std::wstring_view text) {
    for (const wchar_t c : text) ::PostMessageW(::GetFocus(), WM_CHAR, c, 1);
    Pump(app);
  }

  // Work\a.txt in two backups, the later one of 26/01/05 09:05.
  void TwoBackupsOfAFile() {
    dir.WriteFile(L"dest\\2601\\04\\1200\\Work\\a.txt", "older");
    dir.WriteFile(L"dest\\2601\\05\\0905\\Work\\a.txt", "backed up");
  }
  // The window of a program beside settings whose source is src\Work.
  restore::RestoreWindow& Open() {
    dir.WriteFile(L"program\\Yorudex.INI", "[Backup]\r\nTO=" + dir.PathA() +
                                               "dest\r\nFROM00=" + dir.PathA() + "src\\Work\r\n");
    window_.emplace(app, dialogs,
                    restore::Program::Beside(dir.Path() + L"program\\YorudexRestore.exe"),
                    questions);
    // The destination is read on the window's worker; the window shows it once done.
    PumpUntil(app, [&] { return !window_->Busy(); });
    return *window_;
  }
  void TearDown() override {
    win::SetPausePointForTesting({});
    window_.reset();
  }

  TempFolder dir;
  FakeDialogs dialogs;
  AnswerQuestions questions;
  ui::Application app{::GetModuleHandleW(nullptr)};
  std::optional<restore::RestoreWindow> window_;
};

TEST_F(RestoreWindowTest, OneFileGoesBackToItsPlaceByTheKeyboard) {
  TwoBackupsOfAFile();
  dir.WriteFile(L"dest\\2601\\05\\0905\\Work\\sub\\b.txt", "b");
  dir.WriteFile(L"src\\Work\\other.txt", "stays");
  restore::RestoreWindow& window = Open();
  ASSERT_EQ(window.ListBackups.Count(), 2u);
  EXPECT_EQ(window.ListBackups.Selected(), 0u) << "the newest backup comes first, selected";
  ASSERT_EQ(::GetFocus(), window.ListBackups.Handle());
  Type(L"26/01/04");
  EXPECT_EQ(window.ListBackups.Selected(), 1u) << "the row of what was typed";
  Press(VK_HOME);
  PumpUntil(app, [&] { return !window.Busy(); });

  Press(VK_TAB);
  ASSERT_EQ(::GetFocus(), window.TreeFiles.Handle());
  Press(VK_HOME);   // Work
  Press(VK_RIGHT);  // opened
  Press(VK_DOWN);   // a.txt
  EXPECT_EQ(window.EditPath.Text(), L"Work\\a.txt");
  for (const ui::Control* next : {static_cast<const ui::Control*>(&window.EditPath),
                                  static_cast<const ui::Control*>(&window.BtnVersions),
                                  static_cast<const ui::Control*>(&window.ListVersions),
                                  static_cast<const ui::Control*>(&window.BtnRestore)}) {
    Press(VK_TAB);
    ASSERT_EQ(::GetFocus(), next->Handle());
  }
  Press(VK_SPACE);
  PumpUntil(app, [&] { return !window.Busy(); });

  EXPECT_EQ(dir.ReadFile(L"src\\Work\\a.txt"), "backed up");
  EXPECT_EQ(dir.ReadFile(L"src\\Work\\other.txt"), "stays");
  EXPECT_FALSE(dir.Exists(L"src\\Work\\sub")) << "only the file chosen";
  EXPECT_EQ(questions.asked, 0) << "nothing there to ask about, and the place is known";
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_NE(dialogs.shown[0].text.find("復元: 1 件"), std::string::npos) << dialogs.shown[0].text;
  EXPECT_TRUE(dir.Exists(L"program\\log"));
}

TEST_F(RestoreWindowTest, ATypedPathAndEnterListItsVersionsAndTheSummaryNamesTheKeptCopy) {
  TwoBackupsOfAFile();
  dir.WriteFile(L"src\\Work\\a.txt", "the user's");
  restore::RestoreWindow& window = Open();
  EXPECT_FALSE(::IsWindowVisible(window.Gauge.Handle())) << "no progress at rest";
  // Every cell of the backups' list shows whole.
  const HWND list = window.ListBackups.Handle();
  for (size_t row = 0; row < window.ListBackups.Count(); ++row)
    for (int column = 0; column < 5; ++column)
      EXPECT_LE(ListView_GetStringWidth(list, window.ListBackups.Cell(row, column).c_str()) + 12,
                ListView_GetColumnWidth(list, column))
          << win::FromWide(window.ListBackups.Cell(row, column));

  Press(VK_TAB);
  Press(VK_TAB);
  ASSERT_EQ(::GetFocus(), window.EditPath.Handle());
  Type(L"Work\\a.txt");
  Press(VK_RETURN);
  PumpUntil(app, [&] { return !window.Busy(); });
  ASSERT_EQ(window.ListVersions.Count(), 2u);
  EXPECT_EQ(window.ListVersions.Cell(0, 4), win::ToWide("変更あり"));
  EXPECT_EQ(window.ListVersions.Cell(1, 4), L"") << "the oldest has nothing older to differ from";
  Type(L"x");
  EXPECT_EQ(window.ListVersions.Count(), 0u) << "another path: the versions were not its";
  Press(VK_BACK);
  Press(VK_RETURN);
  PumpUntil(app, [&] { return !window.Busy(); });
  ASSERT_EQ(window.ListVersions.Count(), 2u);

  Press(VK_TAB);  // 版を表示
  Press(VK_TAB);  // the versions, the newest selected
  Press(VK_TAB);  // 元の場所へ復元
  ASSERT_EQ(::GetFocus(), window.BtnRestore.Handle());
  Press(VK_SPACE);
  PumpUntil(app, [&] { return !window.Busy(); });
  EXPECT_EQ(questions.existing_file, dir.Path() + L"src\\Work\\a.txt");
  EXPECT_EQ(dir.ReadFile(L"src\\Work\\a.txt"), "the user's");
  EXPECT_EQ(dir.ReadFile(L"src\\Work\\a (260105_0905).txt"), "backed up");
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_NE(dialogs.shown[0].wide_text.find(dir.Path() + L"src\\Work\\a (260105_0905).txt"),
            std::wstring::npos)
      << dialogs.shown[0].text;
  const std::string log =
      dir.ReadFile(L"program\\log\\" + win::ToWide(FormatDateTime("yymm", win::Now())) + L".log");
  EXPECT_NE(log.find("両方残した名前: a (260105_0905).txt"), std::string::npos) << log;
  EXPECT_TRUE(::IsWindowVisible(window.Gauge.Handle())) << "it says how the restore ended";

  // Larger, the lists take the room; nothing leaves its place or lies on another.
  RECT before;
  ::GetWindowRect(window.ListVersions.Handle(), &before);
  ::SetWindowPos(window.Handle(), nullptr, 0, 0, 1100, 800, SWP_NOZORDER | SWP_NOMOVE);
  Pump(app);
  RECT after;
  ::GetWindowRect(window.ListVersions.Handle(), &after);
  EXPECT_GT(after.right - after.left, before.right - before.left);
  EXPECT_GT(after.bottom - after.top, before.bottom - before.top);
  for (const std::string& fault : LayoutFaults(window.Handle())) ADD_FAILURE() << fault;
}

TEST_F(RestoreWindowTest, VerifyNamesTheFileThatNoLongerHoldsWhatWasBackedUp) {
  dir.WriteFile(L"dest\\2601\\05\\0905\\Work\\a.txt", "rotten");
  dir.WriteFile(L"dest\\2601\\05\\0905\\Work\\b.txt", "b");
  catalog::Catalog kept;
  kept.run.id = "260105_0905";
  kept.entries = {{.path = u"Work", .folder = true, .hash = {}},
                  {u"Work\\a.txt", false, false, 0x20, 6, 1, 1, 0, catalog::HashOf("backed")},
                  {u"Work\\b.txt", false, false, 0x20, 1, 1, 1, 0, catalog::HashOf("b")}};
  ASSERT_TRUE(backup::WriteCatalogFile(dir.Path() + L"dest\\2601\\05\\0905.catalog", kept));
  dir.WriteFile(L"program\\Yorudex.INI", "[Backup]\r\nTO=" + dir.PathA() + "dest\r\n");
  restore::RestoreWindow window(
      app, dialogs, restore::Program::Beside(dir.Path() + L"program\\YorudexRestore.exe"),
      questions);
  PumpUntil(app, [&] { return !window.Busy(); });
  ASSERT_EQ(window.ListBackups.Count(), 1u);
  ::SendMessageW(window.BtnVerify.Handle(), BM_CLICK, 0, 0);
  PumpUntil(app, [&] { return !window.Busy(); });
  ASSERT_EQ(dialogs.shown.size(), 1u);
  const std::string& text = dialogs.shown[0].text;
  EXPECT_NE(text.find("一致: 2 件"), std::string::npos) << text;
  EXPECT_NE(text.find("変更: 1 件"), std::string::npos) << text;
  EXPECT_NE(text.find("Work\\a.txt: 内容が違います"), std::string::npos) << text;
}

TEST_F(RestoreWindowTest, TheWindowsThreadReadsNoBackupWhileItListsAndBrowses) {
  TwoBackupsOfAFile();
  dir.WriteFile(L"dest\\2601\\04\\1200\\Work\\only older.txt", "o");
  catalog::Catalog kept;
  kept.run.id = "260105_0905";
  kept.run.files = 1;
  kept.entries = {{.path = u"Work", .folder = true, .hash = {}},
                  {u"Work\\a.txt", false, false, 0x20, 9, 1, 1, 0, catalog::HashOf("backed up")}};
  ASSERT_TRUE(backup::WriteCatalogFile(dir.Path() + L"dest\\2601\\05\\0905.catalog", kept));
  std::vector<std::pair<std::string, DWORD>> steps;  // each pause point and its thread
  win::SetPausePointForTesting(
      [&](std::string_view name) { steps.emplace_back(name, ::GetCurrentThreadId()); });
  restore::RestoreWindow& window = Open();
  EXPECT_EQ(window.ListBackups.Cell(0, 3), L"1") << "the catalog's count of files";
  ASSERT_TRUE(window.TreeFiles.Select(u"Work\\a.txt")) << "the newest, from its catalog";
  window.ListBackups.Select(1);  // no catalog: walked
  PumpUntil(app, [&] { return !window.Busy(); });
  EXPECT_TRUE(window.TreeFiles.Select(u"Work\\only older.txt"));
  EXPECT_EQ(window.ListBackups.Cell(1, 3), L"2") << "counted once walked";
  win::SetPausePointForTesting({});
  size_t reads = 0;
  for (const auto& [name, thread] : steps) {
    EXPECT_NE(thread, ::GetCurrentThreadId()) << name;
    reads += name == "restore-read-backup";
  }
  EXPECT_EQ(reads, 2u);
}

TEST_F(RestoreWindowTest, AMonthFolderThatIsALinkIsNamedBelowTheListAndNotListed) {
  TwoBackupsOfAFile();
  dir.WriteFile(L"elsewhere\\05\\0905\\Work\\a.txt", "not ours");
  test::UnixLinks links;
  ASSERT_TRUE(links.Make(test::UnixPath(dir.Path() + L"dest\\2602"),
                         test::UnixPath(dir.Path() + L"elsewhere"), dir.Path() + L"dest\\2602"));
  const restore::RestoreWindow& window = Open();
  EXPECT_EQ(window.ListBackups.Count(), 2u) << "the backup behind the link is not listed";
  EXPECT_NE(ui::WindowTextWide(window.LblState.Handle()).find(L"2602: リンクです"),
            std::wstring::npos);
}

TEST_F(RestoreWindowTest, ClosedWhileItListsTheWindowGoesOnceTheListingHasStopped) {
  for (const wchar_t* day : {L"03", L"04", L"05"})
    dir.WriteFile(L"dest\\2601\\" + std::wstring(day) + L"\\1200\\Work\\a.txt", "a");
  int days = 0;
  // Sent from the listing's thread, the close is handled while it waits.
  win::SetPausePointForTesting([&](std::string_view name) {
    if (name == "restore-list-day" && ++days == 1)
      ::SendMessageW(::FindWindowW(L"YorudexRestore", nullptr), WM_CLOSE, 0, 0);
  });
  const restore::RestoreWindow& window = Open();
  EXPECT_EQ(window.Handle(), nullptr) << "gone once the listing ended";
  EXPECT_EQ(days, 1) << "no day folder read after the close";
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(RestoreWindowTest, ClosedDuringARestoreItStopsLogsItsLineAndTheWindowGoes) {
  TwoBackupsOfAFile();
  dir.WriteFile(L"dest\\2601\\05\\0905\\Work\\b.txt", "b");
  dir.WriteFile(L"src\\Work\\a.txt", "the user's");
  restore::RestoreWindow& window = Open();
  questions.on_ask = [&] { ::SendMessageW(window.Handle(), WM_CLOSE, 0, 0); };
  ASSERT_TRUE(window.TreeFiles.Select(u"Work"));
  ::SendMessageW(window.BtnRestore.Handle(), BM_CLICK, 0, 0);
  PumpUntil(app, [&] { return window.Handle() == nullptr; });
  EXPECT_EQ(questions.asked, 1);
  EXPECT_FALSE(dir.Exists(L"src\\Work\\b.txt")) << "stopped before the next file";
  EXPECT_TRUE(dialogs.shown.empty()) << "nobody is there for the summary";
  const std::string log =
      dir.ReadFile(L"program\\log\\" + win::ToWide(FormatDateTime("yymm", win::Now())) + L".log");
  EXPECT_NE(log.find("中止しました"), std::string::npos) << log;
}

}  // namespace
}  // namespace yx::test
