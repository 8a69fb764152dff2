// The settings file and the fallback error file under a kill in the middle of
// their save and on a full disk: each is either as it was or whole, and the
// next run works.
#include <algorithm>

#include "reliability/pause_at.h"
#include "reliability/unattended_fixture.h"
#include "settings/settings_keys.h"

#include "support/program_run.h"
#include "support/unix_links.h"
#include "win/unique_handle.h"

namespace yx::test {
namespace {

using TornFiles = UnattendedTest;

TEST_F(TornFiles, KilledWhileSavingTheSettingsTheFileIsAsItWasAndTheNextRunWorks) {
  Describe(
      "The program is killed while it saves the settings (the new file written, not yet "
      "in place); a run a minute later.",
      "After the kill Yorudex.INI is byte for byte what it was; the next run succeeds, "
      "saves every key and leaves no temporary file.");
  Settings();
  const std::string before = dir.ReadFile(L"Yorudex.INI");
  {
    PauseAt pause(L"settings-save");
    Run(KilledRun(), kNow, [&] { return pause.Reached(); });
  }
  EXPECT_EQ(dir.ReadFile(L"Yorudex.INI"), before);
  RunExpectations next;
  next.may_go = {L"Yorudex.INI.new"};  // the killed save's new file, written again and moved
  Run(next, "2001-05-23 09:06:00");
  EXPECT_TRUE(LogHolds(Log(), "", {{"01/05/23 09:06:00", {kDone}}}));
  const std::string after = dir.ReadFile(L"Yorudex.INI");
  EXPECT_EQ(std::count(after.begin(), after.end(), '\n'),
            static_cast<std::ptrdiff_t>(1 + settings::Keys().size()))
      << after;
  EXPECT_TRUE(after.starts_with(before)) << "keys already there keep their place";
  EXPECT_FALSE(dir.Exists(L"Yorudex.INI.new"));
}

// The program folder on a small tmpfs of its own, filled up.
class FullDisk : public UnattendedTest {
 protected:
  void SetUp() override {
    dir.WriteFile(L"hidden-by-mount", "");
    mount_point_ = UnixPath(dir.Path());
    // Room for the program and what a run writes beside it, whatever size
    // the program grows to: the disk must be full only once it is filled.
    WIN32_FILE_ATTRIBUTE_DATA program{};
    ASSERT_TRUE(::GetFileAttributesExW(BuildPath(L"testbin\\YorudexTestClock.exe").c_str(),
                                       GetFileExInfoStandard, &program));
    const std::wstring size = std::to_wstring(program.nFileSizeLow / 1024 + 256) + L"k";
    if (mount_point_.empty() ||
        !RunUnixTool(L"Z:\\usr\\bin\\mount",
                     L"-t tmpfs -o size=" + size + L" tmpfs \"" + mount_point_ + L"\"",
                     [&] { return !dir.Exists(L"hidden-by-mount"); }))
      GTEST_SKIP() << "no tmpfs could be mounted here (needs root)";
    mounted_ = true;
    (void)InstallTestClockProgram(dir.Path());
    dir.MakeFolder(L"dest");
    dir.MakeFolder(L"log");
  }
  void TearDown() override {
    if (mounted_) {
      EXPECT_TRUE(RunUnixTool(L"Z:\\usr\\bin\\umount", L"-l \"" + mount_point_ + L"\"",
                              [&] { return dir.Exists(L"hidden-by-mount"); }));
    }
  }
  // Writes a filler file until the disk is full.
  void Fill() {
    win::UniqueFile filler(::CreateFileW((dir.Path() + L"filler").c_str(), GENERIC_WRITE, 0,
                                         nullptr, CREATE_ALWAYS, 0, nullptr));
    const std::string block(4096, 'f');
    DWORD put = 0;
    while (::WriteFile(filler.get(), block.data(), 4096, &put, nullptr) && put == 4096) {
    }
  }

  std::wstring mount_point_;
  bool mounted_ = false;
};

TEST_F(FullDisk, OnAFullProgramDiskTheSettingsAndTheErrorFileAreWholeOrAbsent) {
  Describe(
      "The program's folder is on a full disk (a tmpfs) when a run saves the settings, "
      "the log and log-error.txt; then space is freed and the program runs again.",
      "The full-disk run ends with status 1 and no dialog; Yorudex.INI is byte for byte "
      "what it was; log-error.txt is absent rather than empty; no temporary file is left; "
      "the next run succeeds.");
  Settings();
  const std::string before = dir.ReadFile(L"Yorudex.INI");
  Fill();
  const ChildOutcome full = program.RunAuto(kNow);
  EXPECT_TRUE(full.finished && !full.dialog);
  EXPECT_EQ(full.exit_code, 1u);
  EXPECT_EQ(dir.ReadFile(L"Yorudex.INI"), before);
  EXPECT_FALSE(dir.Exists(L"log-error.txt"));
  EXPECT_FALSE(dir.Exists(L"Yorudex.INI.new"));
  EXPECT_FALSE(dir.Exists(L"log\\0105.log.new"));
  ASSERT_TRUE(::DeleteFileW((dir.Path() + L"filler").c_str()));
  Run({}, "2001-05-23 09:06:00");
  EXPECT_TRUE(LogHolds(Log(), "", {{"01/05/23 09:06:00", {kDone}}}));
  EXPECT_NE(dir.ReadFile(L"Yorudex.INI"), before);
}

}  // namespace
}  // namespace yx::test
