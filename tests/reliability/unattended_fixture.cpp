#include "reliability/unattended_fixture.h"

#include <algorithm>
#include <cstdio>

#include "backup/run.h"
#include "base/file_error.h"
#include "settings/settings_file.h"
#include "support/run_fixture.h"
#include "win/file_system.h"
#include "win/text.h"

namespace yx::test {

UnattendedTest::UnattendedTest() : dir(program.dir) { dir.MakeFolder(L"dest"); }

std::string UnattendedTest::SourceTree(const std::wstring& name) {
  const std::wstring base = L"src\\" + name + L"\\";
  dir.WriteFile(base + L"a.txt", "alpha\r\n");
  dir.WriteFile(base + L"sub\\b.bin", std::string(70000, '\xB7'));
  dir.WriteFile(base + L"sub\\deeper\\c.txt", "gamma");
  return dir.PathA() + "src\\" + win::FromWide(name);
}

void UnattendedTest::Settings(const IniKeys& more) {
  if (!dir.Exists(L"src\\Work")) SourceTree(L"Work");
  // Links off, so each run's lines stay what the cases expect; the cases of
  // linked copies switch them on.
  IniKeys keys{{"TO", Dest()}, {"FROM00", dir.PathA() + "src\\Work"}, {"LINK_USE", "0"}};
  for (const auto& [key, value] : more) {
    // A key given again replaces the default one: the profile functions
    // would read only the first.
    auto same =
        std::find_if(keys.begin(), keys.end(), [&](const auto& k) { return k.first == key; });
    if (same != keys.end())
      same->second = value;
    else
      keys.emplace_back(key, value);
  }
  program.WriteIni(keys);
}

DWORD UnattendedTest::StatusOfLastRun(std::string_view now) const {
  // "2001-05-23 ..." is logged in 0105.log.
  const std::wstring yymm =
      win::ToWide(std::string(now.substr(2, 2)) + std::string(now.substr(5, 2)));
  if (!program.HasLog(yymm)) return 2;
  const std::string log = program.Log(yymm);
  const size_t start = log.rfind("START=");
  return start != std::string::npos &&
                 log.find(std::string(kDone) + "\r\n", start) != std::string::npos
             ? 0
             : 2;
}

ChildOutcome UnattendedTest::Run(const RunExpectations& expect, std::string_view now,
                                 std::function<bool()> kill_when) {
  return Checked(expect, now, [&] { return program.RunAuto(now, std::move(kill_when)); });
}

ChildOutcome UnattendedTest::RunHere(const RunExpectations& expect, std::string_view now) {
  return Checked(expect, now, [&] {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    EXPECT_EQ(std::sscanf(std::string(now).c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s),
              6);
    const DateTime start = EncodeDateTime(y, mo, d, h, mi, s);
    backup::RunRequest request;
    request.settings = settings::LoadSettings(dir.PathA() + "Yorudex.INI");
    request.check = [&request](DateTime reference) {
      return yx::settings::RunCutOffs(request.settings, reference);
    };
    RecordingSink sink;
    log::RunLog log;
    const std::string path = dir.PathA() + "log\\" + FormatDateTime("yymm", start) + ".log";
    try {
      log.LoadLog(path);
    } catch (const FileError&) {
    }
    const backup::RunClock clock{SteppingClock(start), SteppedTicks()};
    const backup::RunOutcome outcome = backup::RunBackup(request, start, clock, sink, log);
    EXPECT_TRUE(win::CreateFolderTree(dir.Path() + L"log"));
    log.SaveLog(path);
    return ChildOutcome{true, false, false, outcome == backup::RunOutcome::kDone ? 0u : 2u};
  });
}

ChildOutcome UnattendedTest::Checked(const RunExpectations& expect, std::string_view now,
                                     const std::function<ChildOutcome()>& run) {
  const Tree sources = Snapshot(dir.Path() + L"src");
  const std::vector<std::wstring> skip{L"Yorudex.exe", L"log"};
  const Tree before = Snapshot(dir.Path(), skip);
  const std::string fallback_before =
      dir.Exists(L"log-error.txt") ? dir.ReadFile(L"log-error.txt") : std::string();
  const ChildOutcome outcome = run();
  EXPECT_FALSE(outcome.dialog) << "a dialog appeared in an unattended run";
  if (expect.killed) {
    EXPECT_TRUE(outcome.killed) << "the run ended before the moment to kill it";
  } else {
    EXPECT_TRUE(outcome.finished) << "the run hung and was killed";
    EXPECT_EQ(outcome.exit_code, expect.exit_code ? *expect.exit_code : StatusOfLastRun(now));
    const std::string fallback =
        dir.Exists(L"log-error.txt") ? dir.ReadFile(L"log-error.txt") : std::string();
    // The fallback file is written exactly when the status says the log was not saved.
    EXPECT_EQ(fallback != fallback_before, expect.exit_code == 1u) << fallback;
  }
  EXPECT_TRUE(SameTree(sources, Snapshot(dir.Path() + L"src"))) << "the sources changed";
  EXPECT_TRUE(NothingLostBut(before, Snapshot(dir.Path(), skip), expect.gone,
                             {L"Yorudex.INI", L"log-error.txt"}, expect.may_go));
  return outcome;
}

Tree UnattendedTest::Backup(std::wstring_view relative) const {
  return Snapshot(dir.Path() + L"dest\\" + std::wstring(relative));
}

Tree UnattendedTest::Source(std::wstring_view name) const {
  return Snapshot(dir.Path() + L"src\\" + std::wstring(name));
}

}  // namespace yx::test
