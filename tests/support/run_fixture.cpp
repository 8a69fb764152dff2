#include "support/run_fixture.h"

namespace yx::test {

RunTest::RunTest() {
  settings = settings::DefaultSettings();
  dir.MakeFolder(L"dest");
  settings.destination = Dest();
  settings.sources[0] = dir.PathA() + "src\\Work";
  // Off, so the log lines other tests expect stay as they were; the tests
  // of linked copies switch it on.
  settings.link_use = false;
  request.archiver_present = true;
  request.check = [this](DateTime reference) {
    return yx::settings::RunCutOffs(settings, reference);
  };
}

void RunTest::SourceTree(int folders, int files, bool top_files) {
  total_files = 0;
  for (int f = top_files ? 0 : 1; f <= folders; ++f) {
    const std::wstring folder =
        f == 0 ? L"src\\Work\\" : L"src\\Work\\d" + std::to_wstring(f) + L"\\";
    for (int i = 0; i < files; ++i, ++total_files)
      dir.WriteFile(folder + L"f" + std::to_wstring(i) + L".txt",
                    std::string(100 + f * 10 + i, static_cast<char>('a' + i % 26)));
  }
}

std::string RunTest::Run() {
  request.settings = settings;
  const backup::RunClock clock{SteppingClock(now, step), SteppedTicks()};
  const DateTime start = clock.now();
  outcome = backup::RunBackup(request, start, clock, sink, log);
  return log.Text();
}

}  // namespace yx::test
